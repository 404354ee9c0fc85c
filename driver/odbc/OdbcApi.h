// Included first by every file that defines ODBC entry points: the declarations in the
// ODBC headers get default visibility, so exactly the functions defined against them
// are exported while everything else in the library stays hidden.
#pragma once

#pragma GCC visibility push(default)
#include <odbcinst.h>
#include <sql.h>
#include <sqlext.h>
#pragma GCC visibility pop
