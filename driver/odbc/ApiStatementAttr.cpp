// The statement's attributes. Only a rowset of one row, read-only concurrency and
// forward-only or static cursors exist; other requests are changed to the nearest
// of these with 01S02, as ODBC allows.
#include "driver/odbc/OdbcApi.h"

#include "driver/odbc/Handles.h"

using namespace kdbf;

namespace {

SQLRETURN SetAttribute(Statement& stmt, SQLINTEGER attribute, SQLPOINTER value) {
    const auto number = reinterpret_cast<SQLULEN>(value);
    switch (attribute) {
        case SQL_ATTR_CURSOR_TYPE:
            if (stmt.result) throw OdbcError("24000", "Invalid cursor state: a cursor is open");
            if (number == SQL_CURSOR_FORWARD_ONLY || number == SQL_CURSOR_STATIC) {
                stmt.cursor_type = number;
                return SQL_SUCCESS;
            }
            stmt.cursor_type = SQL_CURSOR_STATIC;
            return RecordWarning(stmt, "01S02", "Option value changed: cursor type set to static");
        case SQL_ATTR_CURSOR_SCROLLABLE:
            stmt.cursor_type =
                number == SQL_SCROLLABLE ? SQL_CURSOR_STATIC : SQL_CURSOR_FORWARD_ONLY;
            return SQL_SUCCESS;
        case SQL_ATTR_CONCURRENCY:
            if (number == SQL_CONCUR_READ_ONLY) return SQL_SUCCESS;
            return RecordWarning(stmt, "01S02", "Option value changed: concurrency is read-only");
        case SQL_ATTR_ROW_ARRAY_SIZE:
        case SQL_ROWSET_SIZE:
            if (number == 1) return SQL_SUCCESS;
            return RecordWarning(stmt, "01S02", "Option value changed: rowset size is 1");
        case SQL_ATTR_MAX_ROWS:
            stmt.max_rows = number;
            return SQL_SUCCESS;
        case SQL_ATTR_ROWS_FETCHED_PTR:
            stmt.rows_fetched = static_cast<SQLULEN*>(value);
            return SQL_SUCCESS;
        case SQL_ATTR_ROW_STATUS_PTR:
            stmt.row_status = static_cast<SQLUSMALLINT*>(value);
            return SQL_SUCCESS;
        case SQL_ATTR_ROW_BIND_OFFSET_PTR:
            stmt.bind_offset = static_cast<SQLLEN*>(value);
            return SQL_SUCCESS;
        case SQL_ATTR_ROW_BIND_TYPE:
            // With a rowset of one row, row-wise and column-wise binding coincide.
            return SQL_SUCCESS;
        case SQL_ATTR_QUERY_TIMEOUT:
        case SQL_ATTR_MAX_LENGTH:
            if (number == 0) return SQL_SUCCESS;
            return RecordWarning(stmt, "01S02", "Option value changed: no limit is applied");
        case SQL_ATTR_NOSCAN:
        case SQL_ATTR_RETRIEVE_DATA:
            return SQL_SUCCESS;
        case SQL_ATTR_USE_BOOKMARKS:
            if (number == SQL_UB_OFF) return SQL_SUCCESS;
            throw OdbcError("HYC00", "Bookmarks are not supported");
        default:
            throw OdbcError("HY092",
                            "Attribute " + std::to_string(attribute) + " is not supported");
    }
}

SQLRETURN GetAttribute(Statement& stmt, SQLINTEGER attribute, SQLPOINTER value,
                       SQLINTEGER* length) {
    SQLULEN number = 0;
    SQLPOINTER pointer = nullptr;
    bool is_pointer = false;
    switch (attribute) {
        case SQL_ATTR_CURSOR_TYPE:
            number = stmt.cursor_type;
            break;
        case SQL_ATTR_CURSOR_SCROLLABLE:
            number = stmt.cursor_type == SQL_CURSOR_STATIC ? SQL_SCROLLABLE : SQL_NONSCROLLABLE;
            break;
        case SQL_ATTR_CURSOR_SENSITIVITY:
            number = SQL_INSENSITIVE;
            break;
        case SQL_ATTR_CONCURRENCY:
            number = SQL_CONCUR_READ_ONLY;
            break;
        case SQL_ATTR_ROW_ARRAY_SIZE:
        case SQL_ROWSET_SIZE:
            number = 1;
            break;
        case SQL_ATTR_MAX_ROWS:
            number = stmt.max_rows;
            break;
        case SQL_ATTR_ROW_BIND_TYPE:
            number = SQL_BIND_BY_COLUMN;
            break;
        case SQL_ATTR_QUERY_TIMEOUT:
        case SQL_ATTR_MAX_LENGTH:
            number = 0;
            break;
        case SQL_ATTR_NOSCAN:
            number = SQL_NOSCAN_OFF;
            break;
        case SQL_ATTR_RETRIEVE_DATA:
            number = SQL_RD_ON;
            break;
        case SQL_ATTR_USE_BOOKMARKS:
            number = SQL_UB_OFF;
            break;
        case SQL_ATTR_ROW_NUMBER:
            number = stmt.pos == Statement::Pos::kOn ? stmt.row + 1 : 0;
            break;
        case SQL_ATTR_ROWS_FETCHED_PTR:
            pointer = stmt.rows_fetched;
            is_pointer = true;
            break;
        case SQL_ATTR_ROW_STATUS_PTR:
            pointer = stmt.row_status;
            is_pointer = true;
            break;
        case SQL_ATTR_ROW_BIND_OFFSET_PTR:
            pointer = stmt.bind_offset;
            is_pointer = true;
            break;
        default:
            throw OdbcError("HY092",
                            "Attribute " + std::to_string(attribute) + " is not supported");
    }
    if (is_pointer) {
        if (value != nullptr) *static_cast<SQLPOINTER*>(value) = pointer;
        if (length != nullptr) *length = sizeof pointer;
    } else {
        if (value != nullptr) *static_cast<SQLULEN*>(value) = number;
        if (length != nullptr) *length = sizeof number;
    }
    return SQL_SUCCESS;
}

}  // namespace

extern "C" {

SQLRETURN SQL_API SQLSetStmtAttr(SQLHSTMT handle, SQLINTEGER attribute, SQLPOINTER value,
                                 SQLINTEGER) {
    return Guard<Statement>(handle, HandleKind::kStmt, [&](Statement& stmt) -> SQLRETURN {
        return SetAttribute(stmt, attribute, value);
    });
}

SQLRETURN SQL_API SQLGetStmtAttr(SQLHSTMT handle, SQLINTEGER attribute, SQLPOINTER value,
                                 SQLINTEGER, SQLINTEGER* length) {
    return Guard<Statement>(handle, HandleKind::kStmt, [&](Statement& stmt) -> SQLRETURN {
        return GetAttribute(stmt, attribute, value, length);
    });
}

// The statement's attributes are all numbers or pointers: the wide forms are the same.
SQLRETURN SQL_API SQLSetStmtAttrW(SQLHSTMT handle, SQLINTEGER attribute, SQLPOINTER value,
                                  SQLINTEGER length) {
    return SQLSetStmtAttr(handle, attribute, value, length);
}

SQLRETURN SQL_API SQLGetStmtAttrW(SQLHSTMT handle, SQLINTEGER attribute, SQLPOINTER value,
                                  SQLINTEGER buffer_length, SQLINTEGER* length) {
    return SQLGetStmtAttr(handle, attribute, value, buffer_length, length);
}

}  // extern "C"
