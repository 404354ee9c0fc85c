// Parameters: binding and describing `?` markers, and values sent at execution time
// (SQLParamData and SQLPutData, which PDO and others use for text).
#include "driver/odbc/OdbcApi.h"

#include <cstring>

#include "driver/odbc/ApiParams.h"
#include "driver/odbc/ApiStatement.h"
#include "driver/odbc/Handles.h"

using namespace kdbf;

namespace {

bool AtExecution(const SqlParam& param) {
    if (param.indicator == nullptr) return false;
    const SQLLEN indicator = *param.indicator;
    return indicator == SQL_DATA_AT_EXEC || indicator <= SQL_LEN_DATA_AT_EXEC_OFFSET;
}

// The bytes of one value of a fixed-size C type; 0 for text and binary, sent in pieces.
std::size_t FixedSize(SQLSMALLINT c_type) {
    switch (c_type) {
        case SQL_C_SLONG:
        case SQL_C_LONG:
        case SQL_C_ULONG:
        case SQL_C_FLOAT:
            return 4;
        case SQL_C_SSHORT:
        case SQL_C_SHORT:
        case SQL_C_USHORT:
            return 2;
        case SQL_C_STINYINT:
        case SQL_C_TINYINT:
        case SQL_C_UTINYINT:
        case SQL_C_BIT:
            return 1;
        case SQL_C_SBIGINT:
        case SQL_C_UBIGINT:
        case SQL_C_DOUBLE:
            return 8;
        case SQL_C_TYPE_DATE:
        case SQL_C_DATE:
            return sizeof(SQL_DATE_STRUCT);
        case SQL_C_TYPE_TIME:
        case SQL_C_TIME:
            return sizeof(SQL_TIME_STRUCT);
        case SQL_C_TYPE_TIMESTAMP:
        case SQL_C_TIMESTAMP:
            return sizeof(SQL_TIMESTAMP_STRUCT);
        default:
            return 0;
    }
}

// Every value has arrived: runs the statement with them in place of the markers'
// execution-time bindings.
void FinishExecution(Statement& stmt) {
    const std::string text = *stmt.pending_text;
    SqlParams params = stmt.params;
    stmt.sent_lengths.assign(params.size(), 0);
    for (std::size_t i : stmt.pending) {
        const std::optional<std::string>& sent = stmt.sent[i];
        stmt.sent_lengths[i] = sent ? static_cast<SQLLEN>(sent->size()) : SQL_NULL_DATA;
        params[i]->value = sent ? const_cast<char*>(sent->data()) : nullptr;
        params[i]->indicator = &stmt.sent_lengths[i];
    }
    stmt.pending_text.reset();
    ExecuteQuery(stmt, text, params);
}

}  // namespace

SQLRETURN kdbf::StartExecution(Statement& stmt, const std::string& text) {
    CloseCursor(stmt);
    std::vector<std::size_t> pending;
    for (std::size_t i = 0; i < stmt.params.size(); ++i)
        if (stmt.params[i] && AtExecution(*stmt.params[i])) pending.push_back(i);
    if (!pending.empty()) {
        const auto markers = static_cast<std::size_t>(CountMarkers(stmt, text));
        while (!pending.empty() && pending.back() >= markers) pending.pop_back();
    }
    if (pending.empty()) {
        ExecuteQuery(stmt, text, stmt.params);
        return SQL_SUCCESS;
    }
    stmt.pending_text = text;
    stmt.pending = std::move(pending);
    stmt.pending_next = 0;
    stmt.sent.assign(stmt.params.size(), std::nullopt);
    return SQL_NEED_DATA;
}

extern "C" {

SQLRETURN SQL_API SQLNumParams(SQLHSTMT handle, SQLSMALLINT* count) {
    return Guard<Statement>(handle, HandleKind::kStmt, [&](Statement& stmt) -> SQLRETURN {
        if (count != nullptr) *count = static_cast<SQLSMALLINT>(stmt.param_count);
        return SQL_SUCCESS;
    });
}

// SQLite's parameters have no type: any value is taken, text most generally, and
// compared by the column's affinity.
SQLRETURN SQL_API SQLDescribeParam(SQLHSTMT handle, SQLUSMALLINT number, SQLSMALLINT* type,
                                   SQLULEN* size, SQLSMALLINT* decimals, SQLSMALLINT* nullable) {
    return Guard<Statement>(handle, HandleKind::kStmt, [&](Statement& stmt) -> SQLRETURN {
        if (number < 1 || number > stmt.param_count)
            throw OdbcError("07009", "Invalid descriptor index " + std::to_string(number));
        if (type != nullptr) *type = SQL_VARCHAR;
        if (size != nullptr) *size = 255;
        if (decimals != nullptr) *decimals = 0;
        if (nullable != nullptr) *nullable = SQL_NULLABLE;
        return SQL_SUCCESS;
    });
}

// Parameters are read when the statement runs, from where they are bound.
SQLRETURN SQL_API SQLBindParameter(SQLHSTMT handle, SQLUSMALLINT number, SQLSMALLINT direction,
                                   SQLSMALLINT c_type, SQLSMALLINT sql_type, SQLULEN, SQLSMALLINT,
                                   SQLPOINTER value, SQLLEN buffer_length, SQLLEN* indicator) {
    return Guard<Statement>(handle, HandleKind::kStmt, [&](Statement& stmt) -> SQLRETURN {
        if (number < 1) throw OdbcError("07009", "Invalid descriptor index 0");
        if (direction != SQL_PARAM_INPUT)
            throw OdbcError("HY105", "Invalid parameter type: only input parameters are taken");
        if (stmt.params.size() < number) stmt.params.resize(number);
        stmt.params[number - 1] = SqlParam{c_type, sql_type, value, buffer_length, indicator};
        return SQL_SUCCESS;
    });
}

// Names the next parameter to send (by the value pointer it was bound with), or runs
// the statement once all have been sent.
SQLRETURN SQL_API SQLParamData(SQLHSTMT handle, SQLPOINTER* value) {
    return Guard<Statement>(handle, HandleKind::kStmt, [&](Statement& stmt) -> SQLRETURN {
        if (!stmt.pending_text)
            throw OdbcError("HY010", "Function sequence error: no parameter is awaited");
        if (stmt.pending_next < stmt.pending.size()) {
            const std::size_t index = stmt.pending[stmt.pending_next++];
            stmt.sent[index] = std::string();
            if (value != nullptr) *value = stmt.params[index]->value;
            return SQL_NEED_DATA;
        }
        FinishExecution(stmt);
        return SQL_SUCCESS;
    });
}

// A piece of the parameter SQLParamData named: text and binary come in any number of
// pieces, other types in one.
SQLRETURN SQL_API SQLPutData(SQLHSTMT handle, SQLPOINTER data, SQLLEN length) {
    return Guard<Statement>(handle, HandleKind::kStmt, [&](Statement& stmt) -> SQLRETURN {
        if (!stmt.pending_text || stmt.pending_next == 0)
            throw OdbcError("HY010", "Function sequence error: no parameter is awaited");
        const std::size_t index = stmt.pending[stmt.pending_next - 1];
        std::optional<std::string>& sent = stmt.sent[index];
        if (length == SQL_NULL_DATA) {
            sent.reset();
            return SQL_SUCCESS;
        }
        if (data == nullptr) throw OdbcError("HY009", "Invalid use of null pointer");
        const SQLSMALLINT c_type = stmt.params[index]->c_type;
        std::size_t bytes = FixedSize(c_type);
        if (bytes == 0 && length == SQL_NTS) {
            if (c_type == SQL_C_WCHAR) {
                const auto* units = static_cast<const SQLWCHAR*>(data);
                while (units[bytes / sizeof(SQLWCHAR)] != 0) bytes += sizeof(SQLWCHAR);
            } else {
                bytes = std::strlen(static_cast<const char*>(data));
            }
        } else if (bytes == 0) {
            if (length < 0) throw OdbcError("HY090", "Invalid string or buffer length");
            bytes = static_cast<std::size_t>(length);
        }
        if (!sent) sent = std::string();
        sent->append(static_cast<const char*>(data), bytes);
        return SQL_SUCCESS;
    });
}

}  // extern "C"
