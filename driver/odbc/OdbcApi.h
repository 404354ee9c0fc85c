// Included first by every file that defines ODBC entry points: the declarations in the
// ODBC headers get default visibility, so exactly the functions defined against them
// are exported while everything else in the library stays hidden.
#pragma once

#pragma GCC visibility push(default)
#include <odbcinst.h>
#include <sql.h>
#include <sqlext.h>
#pragma GCC visibility pop

// ODBC 3.8 information types that some headers (MinGW-w64's) do not have yet.
#ifndef SQL_ASYNC_DBC_FUNCTIONS
#define SQL_ASYNC_DBC_FUNCTIONS 10023
#endif
#ifndef SQL_ASYNC_NOTIFICATION
#define SQL_ASYNC_NOTIFICATION 10025
#endif
