// What each dBase field type means to a client: its ODBC description, and the value of
// one field of the current record as text in one canonical form per type.
//
//   C      text, UTF-8, trailing blanks removed           SQL_CHAR
//   V      (Visual FoxPro) text of variable length, whole SQL_CHAR
//   N F    the number as stored ("12.50"; a decimal comma SQL_DOUBLE
//          as a point); blank is NULL, and so is '*'
//          unless NULLSTARS=0
//   B      (Visual FoxPro) a binary double, shortest text SQL_DOUBLE
//   I      (Visual FoxPro) a binary integer               SQL_INTEGER
//   Y      (Visual FoxPro) currency, four decimals        SQL_DECIMAL(19,4)
//   D      "YYYY-MM-DD"; blank or zero is NULL            SQL_TYPE_DATE
//   T      (Visual FoxPro) "YYYY-MM-DD HH:MM:SS[.fff]"    SQL_TYPE_TIMESTAMP
//   L      "1" or "0"; '?' or blank is NULL               SQL_BIT
//   M      the memo's text, UTF-8; no memo is NULL        SQL_LONGVARCHAR
//   Q      (Visual FoxPro) bytes of variable length       SQL_VARBINARY
//   W G    (Visual FoxPro) the memo's bytes; and G, B     SQL_LONGVARBINARY
//          of dBase (OLE object, binary memo)
//   I +    (dBase 7) a binary integer                     SQL_INTEGER
//   O      (dBase 7) a binary double                      SQL_DOUBLE
//   @      (dBase 7) "YYYY-MM-DD HH:MM:SS[.fff]"          SQL_TYPE_TIMESTAMP
//
// A field that _NullFlags marks is NULL whatever its type. Any other type is refused
// when a query selects it, never delivered as raw bytes. Binary values (Q, W, G, and
// B of dBase) are their bytes, unchanged.
#pragma once

#include <sql.h>

#include <cstdint>
#include <string>

#include "driver/dbf/DbfTable.h"

namespace kdbf {

struct ColumnInfo {
    std::string name;
    std::string table;
    SQLSMALLINT sql_type = SQL_CHAR;
    SQLULEN size = 0;
    SQLSMALLINT decimals = 0;
    SQLSMALLINT nullable = SQL_NULLABLE;
};

// Why the driver cannot deliver `field` of `table`, naming the column and its type
// letter; empty when it can. DescribeField gives the column's description.
std::string Refusal(const DbfField& field, const std::string& table);

// The value of field `field` of `table`'s loaded record, in the canonical form of its
// type, into `*out`; false when it is NULL. Throws OdbcError naming `column` when the
// stored bytes are not a value of the type (a number field of '*', dBase's mark for a
// value too wide for the field, among them) or the memo cannot be read.
bool FieldText(DbfTable& table, int field, const std::string& column, std::string* out);

// The value of a field of a number type (N F B I Y, and L as 1 or 0) for the SQL
// engine: an integer where the field holds one (N without decimals, I, L), else a
// double, decoded as FieldText decodes it. Stored text that is not a number stays
// text, in `*scratch`, as FieldText gives it. False when NULL; throws as FieldText.
struct FieldNumber {
    enum class Kind { kInteger, kReal, kText } kind = Kind::kReal;
    std::int64_t integer = 0;
    double real = 0;
};
bool ReadFieldNumber(DbfTable& table, int field, const std::string& column, FieldNumber* out,
                     std::string* scratch);

// How a table field appears as an ODBC column (see above); a type the driver
// cannot decode is SQL_UNKNOWN_TYPE.
ColumnInfo DescribeField(const DbfField& field, const std::string& table);

}  // namespace kdbf
