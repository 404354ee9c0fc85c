// Binding columns, moving the cursor and reading values.
#include "driver/odbc/OdbcApi.h"

#include <algorithm>
#include <cstring>

#include "driver/odbc/Delivery.h"
#include "driver/odbc/Handles.h"

using namespace kdbf;

namespace {

using Pos = Statement::Pos;

bool Within(const Statement& stmt, std::size_t row) {
    return stmt.max_rows == 0 || row < stmt.max_rows;
}

// Rows the cursor may reach; reads the whole table, so only LAST and counting back
// from the end pay for it.
long long ReachableRows(Statement& stmt) {
    const auto count = static_cast<long long>(stmt.result->CountRows());
    return stmt.max_rows != 0 ? std::min(count, static_cast<long long>(stmt.max_rows)) : count;
}

// Moves the cursor; false when it ends up before the first or after the last row.
bool Move(Statement& stmt, SQLSMALLINT orientation, SQLLEN raw_offset) {
    if (stmt.cursor_type == SQL_CURSOR_FORWARD_ONLY && orientation != SQL_FETCH_NEXT)
        throw OdbcError("HY106", "Fetch type out of range: the cursor is forward-only");
    // Far beyond any table, and small enough that the sums below cannot overflow.
    constexpr long long kFar = 1LL << 60;
    const long long offset = std::clamp<long long>(raw_offset, -kFar, kFar);
    const auto current = static_cast<long long>(stmt.row);
    long long target = 0;
    switch (orientation) {
        case SQL_FETCH_NEXT:
            if (stmt.pos == Pos::kAfter) return false;
            target = stmt.pos == Pos::kBefore ? 0 : current + 1;
            break;
        case SQL_FETCH_PRIOR:
            if (stmt.pos == Pos::kBefore) return false;
            target = stmt.pos == Pos::kAfter ? ReachableRows(stmt) - 1 : current - 1;
            break;
        case SQL_FETCH_FIRST:
            target = 0;
            break;
        case SQL_FETCH_LAST:
            target = ReachableRows(stmt) - 1;
            break;
        case SQL_FETCH_ABSOLUTE:
            if (offset == 0)
                target = -1;
            else
                target = offset > 0 ? offset - 1 : ReachableRows(stmt) + offset;
            break;
        case SQL_FETCH_RELATIVE:
            if (stmt.pos == Pos::kBefore)
                target = offset - 1;
            else if (stmt.pos == Pos::kAfter)
                target = ReachableRows(stmt) + offset;
            else
                target = current + offset;
            break;
        default:
            throw OdbcError("HY106", "Fetch type out of range");
    }
    if (target < 0) {
        stmt.pos = Pos::kBefore;
        return false;
    }
    const auto row = static_cast<std::size_t>(target);
    if (!Within(stmt, row) || !stmt.result->HasRow(row)) {
        stmt.pos = Pos::kAfter;
        return false;
    }
    stmt.pos = Pos::kOn;
    stmt.row = row;
    return true;
}

// Column `column` of the current row into `target`. A number the result holds as one
// goes into a double as it is, without being written as text and read back.
Delivery Deliver(Statement& stmt, std::size_t column, const CellTarget& target,
                 std::size_t* offset) {
    const ColumnInfo& info = stmt.result->Columns()[column];
    const auto index = static_cast<int>(column);
    const SQLSMALLINT c_type =
        target.c_type == SQL_C_DEFAULT ? DefaultCType(info.sql_type) : target.c_type;
    if (c_type == SQL_C_DOUBLE && target.buffer != nullptr)
        if (const std::optional<double> number = stmt.result->Number(stmt.row, index)) {
            std::memcpy(target.buffer, &*number, sizeof *number);
            if (target.indicator != nullptr) *target.indicator = sizeof *number;
            return Delivery::kComplete;
        }
    return DeliverCell(stmt.result->Cell(stmt.row, index), info.sql_type, target, offset,
                       info.name);
}

// Writes the current row into the bound columns; returns the code of the fetch.
SQLRETURN FillBindings(Statement& stmt) {
    SQLRETURN rc = SQL_SUCCESS;
    const SQLLEN shift = stmt.bind_offset != nullptr ? *stmt.bind_offset : 0;
    const auto& columns = stmt.result->Columns();
    for (std::size_t i = 0; i < columns.size() && i < stmt.bindings.size(); ++i) {
        if (!stmt.bindings[i]) continue;
        const Binding& b = *stmt.bindings[i];
        auto shifted = [shift](auto* p) {
            return p == nullptr ? p
                                : reinterpret_cast<decltype(p)>(reinterpret_cast<char*>(p) + shift);
        };
        CellTarget target{b.c_type, shifted(static_cast<char*>(b.target)), b.buffer_length,
                          shifted(b.indicator)};
        const Delivery d = Deliver(stmt, i, target, nullptr);
        if (d == Delivery::kTruncated)
            rc = RecordWarning(stmt, "01004",
                               "String data, right truncated in column '" + columns[i].name + "'");
        else if (d == Delivery::kFractionTruncated)
            rc = RecordWarning(stmt, "01S07",
                               "Fractional truncation in column '" + columns[i].name + "'");
    }
    return rc;
}

SQLRETURN Fetch(Statement& stmt, SQLSMALLINT orientation, SQLLEN offset) {
    if (!stmt.result) throw OdbcError("24000", "Invalid cursor state: no result to fetch from");
    stmt.getdata_column = 0;
    const bool found = Move(stmt, orientation, offset);
    if (stmt.rows_fetched != nullptr) *stmt.rows_fetched = found ? 1 : 0;
    if (!found) {
        if (stmt.row_status != nullptr) *stmt.row_status = SQL_ROW_NOROW;
        return SQL_NO_DATA;
    }
    SQLRETURN rc = FillBindings(stmt);
    if (stmt.row_status != nullptr)
        *stmt.row_status = rc == SQL_SUCCESS ? SQL_ROW_SUCCESS : SQL_ROW_SUCCESS_WITH_INFO;
    return rc;
}

SQLRETURN GetData(Statement& stmt, SQLUSMALLINT number, SQLSMALLINT c_type, SQLPOINTER buffer,
                  SQLLEN buffer_length, SQLLEN* indicator) {
    if (!stmt.result || stmt.pos != Pos::kOn)
        throw OdbcError("24000", "Invalid cursor state: no current row");
    const auto& columns = stmt.result->Columns();
    if (number < 1 || number > columns.size())
        throw OdbcError("07009", "Invalid descriptor index " + std::to_string(number));
    // A new column starts from its beginning; the same column again continues.
    if (stmt.getdata_column != number) {
        stmt.getdata_column = number;
        stmt.getdata_offset = 0;
        stmt.getdata_done = false;
    }
    if (stmt.getdata_done) return SQL_NO_DATA;
    CellTarget target{c_type, buffer, buffer_length, indicator};
    const Delivery d = Deliver(stmt, number - 1u, target, &stmt.getdata_offset);
    if (d == Delivery::kTruncated)
        return RecordWarning(
            stmt, "01004",
            "String data, right truncated in column '" + columns[number - 1].name + "'");
    stmt.getdata_done = true;
    if (d == Delivery::kFractionTruncated)
        return RecordWarning(stmt, "01S07",
                             "Fractional truncation in column '" + columns[number - 1].name + "'");
    return SQL_SUCCESS;
}

}  // namespace

extern "C" {

SQLRETURN SQL_API SQLBindCol(SQLHSTMT handle, SQLUSMALLINT number, SQLSMALLINT c_type,
                             SQLPOINTER target, SQLLEN buffer_length, SQLLEN* indicator) {
    return Guard<Statement>(handle, HandleKind::kStmt, [&](Statement& stmt) -> SQLRETURN {
        if (number < 1)
            throw OdbcError("07009", "Invalid descriptor index 0: bookmarks are not supported");
        if (buffer_length < 0) throw OdbcError("HY090", "Invalid string or buffer length");
        if (stmt.bindings.size() < number) stmt.bindings.resize(number);
        if (target == nullptr && indicator == nullptr)
            stmt.bindings[number - 1].reset();
        else
            stmt.bindings[number - 1] = Binding{c_type, target, buffer_length, indicator};
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLFetch(SQLHSTMT handle) {
    return Guard<Statement>(handle, HandleKind::kStmt, [](Statement& stmt) -> SQLRETURN {
        return Fetch(stmt, SQL_FETCH_NEXT, 0);
    });
}

SQLRETURN SQL_API SQLFetchScroll(SQLHSTMT handle, SQLSMALLINT orientation, SQLLEN offset) {
    return Guard<Statement>(handle, HandleKind::kStmt, [&](Statement& stmt) -> SQLRETURN {
        return Fetch(stmt, orientation, offset);
    });
}

SQLRETURN SQL_API SQLGetData(SQLHSTMT handle, SQLUSMALLINT number, SQLSMALLINT c_type,
                             SQLPOINTER buffer, SQLLEN buffer_length, SQLLEN* indicator) {
    return Guard<Statement>(handle, HandleKind::kStmt, [&](Statement& stmt) -> SQLRETURN {
        return GetData(stmt, number, c_type, buffer, buffer_length, indicator);
    });
}

// The ODBC 2 way to fetch, which ODBC 2 applications (PHP's odbc_exec among them) use
// whenever the driver can scroll. The rowset is one row, so this is SQLFetchScroll
// with the row count and status handed back through arguments instead of attributes.
SQLRETURN SQL_API SQLExtendedFetch(SQLHSTMT handle, SQLUSMALLINT orientation, SQLLEN offset,
                                   SQLULEN* row_count, SQLUSMALLINT* row_status) {
    return Guard<Statement>(handle, HandleKind::kStmt, [&](Statement& stmt) -> SQLRETURN {
        if (orientation == SQL_FETCH_BOOKMARK)
            throw OdbcError("HYC00", "Bookmarks are not supported");
        SQLULEN* const saved_count = stmt.rows_fetched;
        SQLUSMALLINT* const saved_status = stmt.row_status;
        stmt.rows_fetched = row_count;
        stmt.row_status = row_status;
        struct Restore {
            Statement& s;
            SQLULEN* count;
            SQLUSMALLINT* status;
            ~Restore() {
                s.rows_fetched = count;
                s.row_status = status;
            }
        } restore{stmt, saved_count, saved_status};
        return Fetch(stmt, static_cast<SQLSMALLINT>(orientation), offset);
    });
}

}  // extern "C"
