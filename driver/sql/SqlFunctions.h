// The ODBC scalar functions SQLite does not have ({fn CONCAT}, LEFT, RIGHT, MOD, YEAR,
// MONTH, DAYOFMONTH, HOUR, MINUTE, SECOND, CURDATE, CURTIME, NOW), defined on a
// connection. LEFT and RIGHT are keywords to SQLite, so they are odbc_left and
// odbc_right; SqlText renames them inside {fn ...}. Dates and times are text
// ("YYYY-MM-DD", "HH:MM:SS", "YYYY-MM-DD HH:MM:SS"), as the tables deliver them.
#pragma once

#include <sqlite3.h>

namespace kdbf {

void RegisterOdbcFunctions(sqlite3* db);

}  // namespace kdbf
