// Preparing and executing queries, and describing their results.
#include "driver/odbc/OdbcApi.h"

#include <algorithm>
#include <variant>

#include "driver/odbc/ApiParams.h"
#include "driver/odbc/ApiStatement.h"
#include "driver/odbc/Handles.h"
#include "driver/odbc/SqlTypes.h"
#include "driver/sql/Query.h"

using namespace kdbf;

namespace {

QueryPlace PlaceOf(Connection& dbc) {
    return {dbc.folder, dbc.table_options, [&dbc]() -> SqlEngine& { return EngineOf(dbc); }};
}

std::unique_ptr<ResultSet> Open(const Statement& stmt, const std::string& text,
                                const SqlParams& params, bool all_params) {
    return OpenQuery(PlaceOf(*stmt.dbc), text, params, all_params,
                     stmt.cursor_type == SQL_CURSOR_FORWARD_ONLY);
}

}  // namespace

void kdbf::ExecuteQuery(Statement& stmt, const std::string& text, const SqlParams& params) {
    CloseCursor(stmt);
    stmt.described.reset();
    stmt.result = Open(stmt, text, params, true);
    stmt.bindings.resize(std::max(stmt.bindings.size(), stmt.result->Columns().size()));
}

int kdbf::CountMarkers(Statement& stmt, const std::string& text) {
    if (stmt.has_prepared && text == stmt.prepared) return stmt.param_count;
    return PrepareQuery(PlaceOf(*stmt.dbc), text);
}

namespace {

// The columns of the open result or, for a statement prepared but not yet run, of the
// result it will have: ODBC lets a client describe a prepared statement before running
// it. Null when there is neither.
const std::vector<ColumnInfo>* ResultColumns(Statement& stmt) {
    if (stmt.result) return &stmt.result->Columns();
    if (!stmt.has_prepared) return nullptr;
    if (!stmt.described) stmt.described = Open(stmt, stmt.prepared, stmt.params, false);
    return &stmt.described->Columns();
}

const ColumnInfo& ColumnOf(Statement& stmt, SQLUSMALLINT number) {
    const std::vector<ColumnInfo>* result = ResultColumns(stmt);
    if (result == nullptr) throw OdbcError("24000", "Invalid cursor state: no result");
    const auto& columns = *result;
    if (number < 1 || number > columns.size())
        throw OdbcError("07009", "Invalid descriptor index " + std::to_string(number));
    return columns[number - 1];
}

// One field of a result column, as text or as a number.
std::variant<std::string, SQLLEN> ColumnAttribute(const ColumnInfo& column, SQLUSMALLINT field) {
    const SqlType& type = SqlTypeOf(column.sql_type);
    switch (field) {
        case SQL_DESC_NAME:
        case SQL_DESC_LABEL:
        case SQL_DESC_BASE_COLUMN_NAME:
            return std::string(column.name);
        case SQL_DESC_TABLE_NAME:
        case SQL_DESC_BASE_TABLE_NAME:
            return std::string(column.table);
        case SQL_DESC_CATALOG_NAME:
        case SQL_DESC_SCHEMA_NAME:
            return std::string("");
        case SQL_DESC_LITERAL_PREFIX:
        case SQL_DESC_LITERAL_SUFFIX:
            return std::string(type.quote != nullptr ? type.quote : "");
        case SQL_DESC_TYPE_NAME:
            return std::string(type.name);
        case SQL_DESC_LOCAL_TYPE_NAME:
            return std::string(type.local_name);
        case SQL_DESC_CONCISE_TYPE:
            return SQLLEN(column.sql_type);
        case SQL_DESC_TYPE:
            return SQLLEN(VerboseType(column.sql_type));
        case SQL_DESC_DATETIME_INTERVAL_CODE:
            return SQLLEN(DateTimeSub(column.sql_type).value_or(0));
        case SQL_DESC_LENGTH:
        case SQL_DESC_PRECISION:
        case SQL_COLUMN_PRECISION:
            return static_cast<SQLLEN>(column.size);
        case SQL_DESC_OCTET_LENGTH:
        case SQL_COLUMN_LENGTH:  // ODBC 2 means the bytes a transfer in the default C type takes
            return OctetLength(column);
        case SQL_DESC_DISPLAY_SIZE:
            return DisplaySize(column);
        case SQL_DESC_SCALE:
        case SQL_COLUMN_SCALE:
            return SQLLEN(column.decimals);
        case SQL_DESC_NULLABLE:
        case SQL_COLUMN_NULLABLE:
            return SQLLEN(column.nullable);
        case SQL_DESC_NUM_PREC_RADIX:
            return SQLLEN(type.numeric ? 10 : 0);
        case SQL_DESC_UNSIGNED:
            return SQLLEN(type.numeric ? SQL_FALSE : SQL_TRUE);
        case SQL_DESC_SEARCHABLE:
            return SQLLEN(Searchability(type));
        case SQL_DESC_UPDATABLE:
            return SQLLEN(SQL_ATTR_READONLY);
        case SQL_DESC_CASE_SENSITIVE:
            return SQLLEN(type.text ? SQL_TRUE : SQL_FALSE);
        case SQL_DESC_FIXED_PREC_SCALE:
        case SQL_DESC_AUTO_UNIQUE_VALUE:
            return SQLLEN(SQL_FALSE);
        case SQL_DESC_UNNAMED:
            return SQLLEN(SQL_NAMED);
        default:
            throw OdbcError("HY091",
                            "Invalid descriptor field identifier " + std::to_string(field));
    }
}

SQLRETURN ExecDirect(Statement& stmt, const std::string& text) {
    stmt.has_prepared = false;
    stmt.param_count = 0;  // a direct execution replaces a prepared statement
    return StartExecution(stmt, text);
}

SQLRETURN Prepare(Statement& stmt, std::string text) {
    CloseCursor(stmt);
    stmt.has_prepared = false;
    stmt.described.reset();
    stmt.prepared = std::move(text);
    stmt.param_count = PrepareQuery(PlaceOf(*stmt.dbc), stmt.prepared);
    stmt.has_prepared = true;
    return SQL_SUCCESS;
}

SQLRETURN DescribeCol(Statement& stmt, SQLUSMALLINT number, const TextOut& name, SQLSMALLINT* type,
                      SQLULEN* size, SQLSMALLINT* decimals, SQLSMALLINT* nullable) {
    const ColumnInfo& column = ColumnOf(stmt, number);
    if (type != nullptr) *type = column.sql_type;
    if (size != nullptr) *size = column.size;
    if (decimals != nullptr) *decimals = column.decimals;
    if (nullable != nullptr) *nullable = column.nullable;
    if (CopyOut(column.name, name))
        return RecordWarning(stmt, "01004", "String data, right truncated: column name");
    return SQL_SUCCESS;
}

SQLRETURN ColAttribute(Statement& stmt, SQLUSMALLINT number, SQLUSMALLINT field,
                       const TextOut& text, SQLLEN* numeric) {
    if (field == SQL_DESC_COUNT) {
        const std::vector<ColumnInfo>* columns = ResultColumns(stmt);
        if (numeric != nullptr)
            *numeric = columns != nullptr ? static_cast<SQLLEN>(columns->size()) : 0;
        return SQL_SUCCESS;
    }
    const ColumnInfo& column = ColumnOf(stmt, number);
    const auto attribute = ColumnAttribute(column, field);
    if (const auto* value = std::get_if<SQLLEN>(&attribute)) {
        if (numeric != nullptr) *numeric = *value;
        return SQL_SUCCESS;
    }
    if (CopyOut(std::get<std::string>(attribute), text))
        return RecordWarning(stmt, "01004", "String data, right truncated");
    return SQL_SUCCESS;
}

template <class Body>
SQLRETURN OnStatement(SQLHSTMT handle, Body&& body) {
    return Guard<Statement>(handle, HandleKind::kStmt, std::forward<Body>(body));
}

}  // namespace

extern "C" {

SQLRETURN SQL_API SQLExecDirect(SQLHSTMT handle, SQLCHAR* text, SQLINTEGER length) {
    return OnStatement(handle,
                       [&](Statement& stmt) { return ExecDirect(stmt, InText(text, length)); });
}

SQLRETURN SQL_API SQLExecDirectW(SQLHSTMT handle, SQLWCHAR* text, SQLINTEGER length) {
    return OnStatement(handle,
                       [&](Statement& stmt) { return ExecDirect(stmt, InText(text, length)); });
}

SQLRETURN SQL_API SQLPrepare(SQLHSTMT handle, SQLCHAR* text, SQLINTEGER length) {
    return OnStatement(handle,
                       [&](Statement& stmt) { return Prepare(stmt, InText(text, length)); });
}

SQLRETURN SQL_API SQLPrepareW(SQLHSTMT handle, SQLWCHAR* text, SQLINTEGER length) {
    return OnStatement(handle,
                       [&](Statement& stmt) { return Prepare(stmt, InText(text, length)); });
}

SQLRETURN SQL_API SQLExecute(SQLHSTMT handle) {
    return Guard<Statement>(handle, HandleKind::kStmt, [](Statement& stmt) -> SQLRETURN {
        if (!stmt.has_prepared)
            throw OdbcError("HY010", "Function sequence error: nothing prepared");
        return StartExecution(stmt, stmt.prepared);
    });
}

SQLRETURN SQL_API SQLNumResultCols(SQLHSTMT handle, SQLSMALLINT* count) {
    return Guard<Statement>(handle, HandleKind::kStmt, [&](Statement& stmt) -> SQLRETURN {
        const std::vector<ColumnInfo>* columns = ResultColumns(stmt);
        if (count != nullptr)
            *count = columns != nullptr ? static_cast<SQLSMALLINT>(columns->size()) : 0;
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLDescribeCol(SQLHSTMT handle, SQLUSMALLINT number, SQLCHAR* name,
                                 SQLSMALLINT name_max, SQLSMALLINT* name_length, SQLSMALLINT* type,
                                 SQLULEN* size, SQLSMALLINT* decimals, SQLSMALLINT* nullable) {
    return OnStatement(handle, [&](Statement& stmt) {
        return DescribeCol(stmt, number, Utf8Out(name, name_max, name_length), type, size, decimals,
                           nullable);
    });
}

SQLRETURN SQL_API SQLDescribeColW(SQLHSTMT handle, SQLUSMALLINT number, SQLWCHAR* name,
                                  SQLSMALLINT name_max, SQLSMALLINT* name_length, SQLSMALLINT* type,
                                  SQLULEN* size, SQLSMALLINT* decimals, SQLSMALLINT* nullable) {
    return OnStatement(handle, [&](Statement& stmt) {
        return DescribeCol(stmt, number,
                           Utf16Out(name, name_max, TextOut::Form::kUtf16Chars, name_length), type,
                           size, decimals, nullable);
    });
}

SQLRETURN SQL_API SQLColAttribute(SQLHSTMT handle, SQLUSMALLINT number, SQLUSMALLINT field,
                                  SQLPOINTER text, SQLSMALLINT text_max, SQLSMALLINT* text_length,
                                  SQLLEN* numeric) {
    return OnStatement(handle, [&](Statement& stmt) {
        return ColAttribute(stmt, number, field, Utf8Out(text, text_max, text_length), numeric);
    });
}

SQLRETURN SQL_API SQLColAttributeW(SQLHSTMT handle, SQLUSMALLINT number, SQLUSMALLINT field,
                                   SQLPOINTER text, SQLSMALLINT text_max, SQLSMALLINT* text_length,
                                   SQLLEN* numeric) {
    return OnStatement(handle, [&](Statement& stmt) {
        return ColAttribute(stmt, number, field,
                            Utf16Out(text, text_max, TextOut::Form::kUtf16Bytes, text_length),
                            numeric);
    });
}

// Rows of a SELECT are not counted in advance: -1, as ODBC allows.
SQLRETURN SQL_API SQLRowCount(SQLHSTMT handle, SQLLEN* count) {
    return Guard<Statement>(handle, HandleKind::kStmt, [&](Statement&) -> SQLRETURN {
        if (count != nullptr) *count = -1;
        return SQL_SUCCESS;
    });
}

// A statement has one result at most.
SQLRETURN SQL_API SQLMoreResults(SQLHSTMT handle) {
    return Guard<Statement>(handle, HandleKind::kStmt, [](Statement& stmt) -> SQLRETURN {
        CloseCursor(stmt);
        return SQL_NO_DATA;
    });
}

SQLRETURN SQL_API SQLCloseCursor(SQLHSTMT handle) {
    return Guard<Statement>(handle, HandleKind::kStmt, [](Statement& stmt) -> SQLRETURN {
        if (!stmt.result) throw OdbcError("24000", "Invalid cursor state: no cursor open");
        CloseCursor(stmt);
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLFreeStmt(SQLHSTMT handle, SQLUSMALLINT option) {
    return Guard<Statement>(handle, HandleKind::kStmt, [&](Statement& stmt) -> SQLRETURN {
        switch (option) {
            case SQL_CLOSE:
                CloseCursor(stmt);
                break;
            case SQL_UNBIND:
                stmt.bindings.assign(stmt.bindings.size(), std::nullopt);
                break;
            case SQL_RESET_PARAMS:
                stmt.params.clear();
                break;
            default:
                throw OdbcError("HY092", "Invalid option " + std::to_string(option));
        }
        return SQL_SUCCESS;
    });
}

// Every call runs to its end before returning, so there is never anything to cancel.
SQLRETURN SQL_API SQLCancel(SQLHSTMT handle) {
    return Guard<Statement>(handle, HandleKind::kStmt,
                            [](Statement&) -> SQLRETURN { return SQL_SUCCESS; });
}

}  // extern "C"
