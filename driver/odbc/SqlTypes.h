// The SQL types the driver delivers, described once: SQLGetTypeInfo lists them, and
// SQLColumns and SQLColAttribute take their names and sizes from here, so a client
// that matches a column's TYPE_NAME against the type list always finds it.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <optional>
#include <string>
#include <vector>

#include "driver/sql/ResultSet.h"

namespace kdbf {

struct SqlType {
    SQLSMALLINT sql_type;  // the ODBC 3 concise type
    const char* name;      // TYPE_NAME
    const char* local_name;
    SQLINTEGER max_size;  // COLUMN_SIZE of SQLGetTypeInfo: the largest column of the type
    const char* quote;    // LITERAL_PREFIX and _SUFFIX, or null
    const char* create_params;
    bool text;              // character data: case-sensitive, no sign, no radix
    bool numeric;           // has a sign and a radix
    SQLSMALLINT max_scale;  // -1 when scale does not apply
};

// How a column of `type` can be searched in WHERE: text with LIKE too, any other type
// with the comparison operators.
inline SQLSMALLINT Searchability(const SqlType& type) {
    return type.text ? SQL_SEARCHABLE : SQL_PRED_BASIC;
}

// In the order SQLGetTypeInfo lists them (by DATA_TYPE).
const std::vector<SqlType>& SqlTypes();

// The description of `sql_type`; a type the list lacks is described as text.
const SqlType& SqlTypeOf(SQLSMALLINT sql_type);

// The type code an application of `odbc_version` knows: ODBC 2 has its own codes for
// dates and timestamps.
SQLSMALLINT TypeCodeFor(SQLSMALLINT sql_type, SQLINTEGER odbc_version);
// SQL_DATA_TYPE and SQL_DATETIME_SUB: the verbose type and the date-time subcode.
SQLSMALLINT VerboseType(SQLSMALLINT sql_type);
std::optional<SQLSMALLINT> DateTimeSub(SQLSMALLINT sql_type);

// Bytes a value of `column` takes in its default C type; for text, the UTF-8 bytes its
// characters can need.
SQLLEN OctetLength(const ColumnInfo& column);
// Characters needed to show any value of `column` as text.
SQLLEN DisplaySize(const ColumnInfo& column);

}  // namespace kdbf
