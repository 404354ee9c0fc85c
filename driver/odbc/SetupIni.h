// What ConfigDSN shares with the platform's way of storing data sources
// (Setup_posix.cpp: odbc.ini files; Setup_win.cpp: the installer's registry functions).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "driver/odbc/OdbcApi.h"

namespace kdbf {

using Pairs = std::vector<std::pair<std::string, std::string>>;

// Posts an installer error; always false.
bool Post(DWORD code, const std::string& text);

// True when `stored` (a data source's entries) names `driver` and holds every requested
// value, so that registering again would change nothing.
bool HoldsValues(const Pairs& stored, const std::string& driver, const Pairs& pairs);

// Writes the values of `pairs` (all but DSN) into data source `dsn`.
bool WriteValues(const std::string& dsn, const Pairs& pairs);

// Adds data source `dsn` of `driver` with `pairs`, or replaces it. One that already holds
// these values is left untouched: programs register at every start while others may be
// connecting. Failures are posted.
bool RegisterDataSource(const std::string& dsn, const std::string& driver, const Pairs& pairs);

}  // namespace kdbf
