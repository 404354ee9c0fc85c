// Running a statement's text, for the entry points that do (ApiStatement.cpp, ApiParams.cpp).
#pragma once

#include <string>

#include "driver/odbc/Handles.h"

namespace kdbf {

// Runs `text` with `params`, replacing any open result.
void ExecuteQuery(Statement& stmt, const std::string& text, const SqlParams& params);
// The number of `?` markers of `text`.
int CountMarkers(Statement& stmt, const std::string& text);

}  // namespace kdbf
