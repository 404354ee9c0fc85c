// The few things of the operating system that the layers above need besides files:
// local time, and the text of ODBC's narrow (ANSI) functions.
#pragma once

#include <ctime>
#include <string>

namespace kdbf {

// `when` in the local time zone.
std::tm LocalTime(std::time_t when);

// Narrow text arrives and leaves in the process's narrow character set: UTF-8 on POSIX
// systems (as unixODBC passes it on), the ANSI code page on Windows, where every narrow
// ODBC function speaks it. Characters it cannot hold leave as '?'.
std::string NarrowToUtf8(const std::string& narrow);
std::string Utf8ToNarrow(const std::string& utf8);

// The longest prefix of narrow `text` of at most `bytes` bytes that does not cut a
// character.
std::size_t NarrowPrefix(const std::string& text, std::size_t bytes);

}  // namespace kdbf
