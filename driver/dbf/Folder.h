// The folder of a connection, whose .dbf files are its tables.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kdbf {

// Table names of the folder (file names ending in ".dbf" in any case, without it),
// sorted, in UTF-8: a name that is not UTF-8 is read as ISO 8859-1. An empty folder
// means the current directory.
std::vector<std::string> ListTables(const std::string& folder);

// The file of table `table` (a name as ListTables gives it), found without regard to
// the letter case of ASCII letters; an exact match is preferred. A name that could reach
// outside the folder ('/', '\\', ':', "..") or a Windows device (CON, NUL, COM1...) never
// matches and is never opened.
std::optional<std::string> FindTableFile(const std::string& folder, const std::string& table);

// True when `folder` (or the current directory when empty) can be listed and read.
bool IsReadableFolder(const std::string& folder);

}  // namespace kdbf
