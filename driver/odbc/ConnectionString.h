// Connection strings as ODBC defines them: "KEY=value;KEY={value};...". A value in
// braces may hold ';' and '=', and "}}" inside it stands for "}".
#pragma once

#include <map>
#include <stdexcept>
#include <string>

namespace kdbf {

// Keys are kept upper-cased; the first occurrence of a key wins, as ODBC prescribes.
using Attributes = std::map<std::string, std::string>;

// Parses `text`; throws std::invalid_argument naming what is malformed.
Attributes ParseConnectionString(const std::string& text);

// "KEY=value" with the value in braces when it needs them.
std::string FormatAttribute(const std::string& key, const std::string& value);

}  // namespace kdbf
