// Parameters sent at execution time, for the entry points that execute.
#pragma once

#include <string>

#include "driver/odbc/Handles.h"

namespace kdbf {

// Runs `text`, or returns SQL_NEED_DATA when parameters are to be sent at execution time.
SQLRETURN StartExecution(Statement& stmt, const std::string& text);

}  // namespace kdbf
