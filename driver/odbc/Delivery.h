// Delivers one cell's value into an application buffer in the C type asked for.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <optional>
#include <string>

namespace kdbf {

struct CellTarget {
    SQLSMALLINT c_type;
    SQLPOINTER buffer;
    SQLLEN buffer_length;
    SQLLEN* indicator;  // length or SQL_NULL_DATA; may be null unless the value is NULL
};

enum class Delivery {
    kComplete,           // the whole (remaining) value was written
    kTruncated,          // text cut short: more is left for the next SQLGetData (01004)
    kFractionTruncated,  // a number lost its fractional part (01S07)
};

// Writes `cell`, a value in the canonical text of its column's `sql_type` (see
// FieldValue.h; UTF-8 for text), into `target`. SQL_C_CHAR gets the UTF-8 text,
// SQL_C_WCHAR its UTF-16. For text types, `*offset` bytes (SQL_C_CHAR) or code units
// (SQL_C_WCHAR) were delivered before (SQLGetData in parts) and is advanced. `column`
// names the column in messages. Throws OdbcError: 22018 for text that is not a number
// or date, 22003 for a number out of range, 22002 for NULL without an indicator,
// 07006 for an unsupported type.
Delivery DeliverCell(const std::optional<std::string>& cell, SQLSMALLINT sql_type,
                     const CellTarget& target, std::size_t* offset, const std::string& column);

// The C type SQL_C_DEFAULT stands for with a column of `sql_type`.
SQLSMALLINT DefaultCType(SQLSMALLINT sql_type);

}  // namespace kdbf
