#include "driver/dbf/Folder.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

#include "driver/base/Utf16.h"

namespace kdbf {
namespace {

std::string DirOf(const std::string& folder) {
    return folder.empty() ? "." : folder;
}

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

std::vector<std::string> FileNames(const std::string& folder) {
    std::vector<std::string> names;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(DirOf(folder).c_str()), closedir);
    if (!dir) return names;
    while (dirent* entry = readdir(dir.get())) names.emplace_back(entry->d_name);
    return names;
}

}  // namespace

bool IsReadableFolder(const std::string& folder) {
    struct stat st {};
    const std::string dir = DirOf(folder);
    return stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           access(dir.c_str(), R_OK | X_OK) == 0;
}

std::vector<std::string> ListTables(const std::string& folder) {
    std::vector<std::string> tables;
    for (const std::string& name : FileNames(folder))
        if (HasDbfExtension(name)) tables.push_back(DisplayName(name.substr(0, name.size() - 4)));
    std::sort(tables.begin(), tables.end());
    return tables;
}

std::optional<std::string> FindTableFile(const std::string& folder, const std::string& table) {
    if (table.empty() || table.find('/') != std::string::npos ||
        table.find('\0') != std::string::npos)
        return std::nullopt;
    const std::string wanted = table + ".dbf";
    // The usual case costs one look-up, however many files the folder holds.
    struct stat st {};
    if (lstat(JoinPath(DirOf(folder), wanted).c_str(), &st) == 0) return JoinPath(folder, wanted);
    std::optional<std::string> found;
    for (const std::string& name : FileNames(folder)) {
        const std::string shown = DisplayName(name);
        if (shown == wanted) return JoinPath(folder, name);
        if (!found && strcasecmp(shown.c_str(), wanted.c_str()) == 0)
            found = JoinPath(folder, name);
    }
    return found;
}

}  // namespace kdbf
