#include "driver/dbf/Folder.h"

#include <strings.h>

#include <algorithm>
#include <cctype>

#include "driver/base/Utf16.h"
#include "driver/dbf/FileAccess.h"

namespace kdbf {
namespace {

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// How a file name is shown: as it is when it is UTF-8, else read as ISO 8859-1,
// which turns any byte string into UTF-8 that maps back to that one file.
std::string DisplayName(const std::string& name) {
    if (IsUtf8(name)) return name;
    std::string shown;
    for (unsigned char c : name) {
        if (c < 0x80) {
            shown += static_cast<char>(c);
        } else {
            shown += static_cast<char>(0xC0 | (c >> 6));
            shown += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return shown;
}

bool HasDbfExtension(const std::string& name) {
    return name.size() > 4 && strcasecmp(name.c_str() + name.size() - 4, ".dbf") == 0;
}

// Names Windows takes for a device in any folder, whatever the extension.
bool IsDeviceName(const std::string& table) {
    std::string stem = table.substr(0, table.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (char& c : stem) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (stem == "CON" || stem == "NUL" || stem == "AUX" || stem == "PRN") return true;
    return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
           stem[3] >= '1' && stem[3] <= '9';
}

// A table name names a file of the folder itself, on every platform: no separator, no
// drive or stream colon, no way up, no control character and no device.
bool IsPlainTableName(const std::string& table) {
    if (table.empty() || table.find("..") != std::string::npos || IsDeviceName(table)) return false;
    for (unsigned char c : table)
        if (c < 0x20 || c == '/' || c == '\\' || c == ':') return false;
    return true;
}

}  // namespace

bool IsReadableFolder(const std::string& folder) {
    return IsReadableFolderPath(folder);
}

std::vector<std::string> ListTables(const std::string& folder) {
    std::vector<std::string> tables;
    for (const std::string& name : FolderEntries(folder))
        if (HasDbfExtension(name)) tables.push_back(DisplayName(name.substr(0, name.size() - 4)));
    std::sort(tables.begin(), tables.end());
    return tables;
}

std::optional<std::string> FindTableFile(const std::string& folder, const std::string& table) {
    if (!IsPlainTableName(table)) return std::nullopt;
    const std::string wanted = table + ".dbf";
    // The usual case costs one look-up, however many files the folder holds.
    if (PathExists(JoinPath(folder.empty() ? "." : folder, wanted)))
        return JoinPath(folder, wanted);
    std::optional<std::string> found;
    for (const std::string& name : FolderEntries(folder)) {
        const std::string shown = DisplayName(name);
        if (shown == wanted) return JoinPath(folder, name);
        if (!found && strcasecmp(shown.c_str(), wanted.c_str()) == 0)
            found = JoinPath(folder, name);
    }
    return found;
}

}  // namespace kdbf
