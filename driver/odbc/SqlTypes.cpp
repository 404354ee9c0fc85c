#include "driver/odbc/SqlTypes.h"

#include <algorithm>

namespace kdbf {

// A character of a single-byte code page takes up to three bytes in UTF-8.
constexpr SQLLEN kUtf8BytesPerChar = 3;

const std::vector<SqlType>& SqlTypes() {
    static const std::vector<SqlType> types = {
        {SQL_BIT, "BIT", "LOGICAL", 1, nullptr, nullptr, false, false, -1},
        {SQL_LONGVARBINARY, "LONGVARBINARY", "GENERAL", 2147483647, nullptr, nullptr, false, false,
         -1},
        {SQL_VARBINARY, "VARBINARY", "BINARY", 254, nullptr, "max length", false, false, -1},
        {SQL_LONGVARCHAR, "LONGVARCHAR", "MEMO", 2147483647, "'", nullptr, true, false, -1},
        {SQL_CHAR, "CHAR", "CHARACTER", 254, "'", "length", true, false, -1},
        {SQL_DECIMAL, "DECIMAL", "CURRENCY", 19, nullptr, nullptr, false, true, 4},
        {SQL_INTEGER, "INTEGER", "INTEGER", 10, nullptr, nullptr, false, true, 0},
        {SQL_SMALLINT, "SMALLINT", "SMALLINT", 5, nullptr, nullptr, false, true, 0},
        {SQL_DOUBLE, "DOUBLE", "NUMERIC", 15, nullptr, nullptr, false, true, 15},
        {SQL_TYPE_DATE, "DATE", "DATE", 10, "'", nullptr, false, false, -1},
        {SQL_TYPE_TIMESTAMP, "TIMESTAMP", "DATETIME", 23, "'", nullptr, false, false, 3},
    };
    return types;
}

const SqlType& SqlTypeOf(SQLSMALLINT sql_type) {
    const auto& types = SqlTypes();
    auto it = std::find_if(types.begin(), types.end(),
                           [&](const SqlType& t) { return t.sql_type == sql_type; });
    if (it != types.end()) return *it;
    static const SqlType unknown{SQL_CHAR, "CHAR", "CHARACTER", 254, "'", nullptr, true, false, -1};
    return unknown;
}

SQLSMALLINT TypeCodeFor(SQLSMALLINT sql_type, SQLINTEGER odbc_version) {
    if (odbc_version != SQL_OV_ODBC2) return sql_type;
    if (sql_type == SQL_TYPE_DATE) return SQL_DATE;
    if (sql_type == SQL_TYPE_TIME) return SQL_TIME;
    if (sql_type == SQL_TYPE_TIMESTAMP) return SQL_TIMESTAMP;
    return sql_type;
}

SQLSMALLINT VerboseType(SQLSMALLINT sql_type) {
    return DateTimeSub(sql_type) ? SQL_DATETIME : sql_type;
}

std::optional<SQLSMALLINT> DateTimeSub(SQLSMALLINT sql_type) {
    if (sql_type == SQL_TYPE_DATE) return SQL_CODE_DATE;
    if (sql_type == SQL_TYPE_TIMESTAMP) return SQL_CODE_TIMESTAMP;
    return std::nullopt;
}

SQLLEN OctetLength(const ColumnInfo& column) {
    const auto size = static_cast<SQLLEN>(column.size);
    switch (column.sql_type) {
        case SQL_DOUBLE:
            return sizeof(double);
        case SQL_INTEGER:
            return sizeof(SQLINTEGER);
        case SQL_SMALLINT:
            return sizeof(SQLSMALLINT);
        case SQL_DECIMAL:
            return static_cast<SQLLEN>(column.size) + 2;  // sign and point as text
        case SQL_BIT:
            return 1;
        case SQL_TYPE_DATE:
            return sizeof(SQL_DATE_STRUCT);
        case SQL_TYPE_TIMESTAMP:
            return sizeof(SQL_TIMESTAMP_STRUCT);
        case SQL_CHAR:
        case SQL_VARCHAR:
        case SQL_LONGVARCHAR:
            return size > 2147483647 / kUtf8BytesPerChar ? 2147483647 : size * kUtf8BytesPerChar;
        default:
            return size;
    }
}

SQLLEN DisplaySize(const ColumnInfo& column) {
    switch (column.sql_type) {
        case SQL_DOUBLE:
            return 24;  // sign, 17 digits, point, exponent
        case SQL_INTEGER:
            return 11;  // sign and 10 digits
        case SQL_SMALLINT:
            return 6;  // sign and 5 digits
        case SQL_DECIMAL:
            return static_cast<SQLLEN>(column.size) + 2;  // sign and point
        case SQL_BIT:
            return 1;
        case SQL_TYPE_DATE:
            return 10;  // yyyy-mm-dd
        case SQL_TYPE_TIMESTAMP:
            return 23;  // yyyy-mm-dd hh:mm:ss.fff
        case SQL_VARBINARY:
        case SQL_LONGVARBINARY:
            return static_cast<SQLLEN>(column.size) * 2;  // two hex digits a byte
        default:
            return static_cast<SQLLEN>(column.size);
    }
}

}  // namespace kdbf
