// Data sources in unixODBC's odbc.ini files, rewritten in one step.
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "driver/odbc/SetupIni.h"

// The installer's own answer to "which odbc.ini does this request write?".
extern "C" BOOL _odbcinst_UserINI(char* file, BOOL verify);
extern "C" BOOL _odbcinst_SystemINI(char* file, BOOL verify);

namespace kdbf {
namespace {

// The odbc.ini file that the current configuration mode writes data sources to.
std::string TargetIniFile() {
    UWORD mode = ODBC_BOTH_DSN;
    SQLGetConfigMode(&mode);
    char file[PATH_MAX + 1] = {};
    const BOOL found =
        mode == ODBC_SYSTEM_DSN ? _odbcinst_SystemINI(file, 0) : _odbcinst_UserINI(file, 0);
    return found ? std::string(file) : std::string();
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The name of the section that `line` opens, or false when it opens none.
bool SectionName(const std::string& line, std::string* name) {
    const std::string trimmed = Trimmed(line);
    if (trimmed.empty() || trimmed[0] != '[') return false;
    *name = trimmed.substr(1, trimmed.find(']') - 1);
    return true;
}

// The ini file's text split into the lines of section `dsn` and all the others.
void SplitSection(const std::string& text, const std::string& dsn, std::string* others,
                  Pairs* values) {
    std::istringstream in(text);
    std::string line, name;
    bool inside = false;
    while (std::getline(in, line)) {
        if (SectionName(line, &name)) inside = strcasecmp(name.c_str(), dsn.c_str()) == 0;
        if (!inside) {
            *others += line + "\n";
        } else if (const std::size_t eq = line.find('='); eq != std::string::npos) {
            values->emplace_back(Trimmed(line.substr(0, eq)), Trimmed(line.substr(eq + 1)));
        }
    }
}

// The installer keeps what it has read from odbc.ini for a while and forgets it only when
// it writes an ini file itself: have it "write" the still empty `scratch` file, so that
// this process reads the replaced file afresh. (A name holding "odbcinst" would send the
// write to the driver list instead, and a relative one to the real odbc.ini.)
void ForgetCachedValues(const std::string& scratch) {
    if (scratch[0] == '/' && strcasestr(scratch.c_str(), "odbcinst") == nullptr)
        SQLWritePrivateProfileString("kestrix", nullptr, nullptr, scratch.c_str());
}

// Registers `dsn` in `ini`, leaving the file untouched when it already holds the values
// and otherwise rewriting it in one step: the new file is written beside the old one and
// renamed over it, so that a program reading it meanwhile (another start connecting)
// sees the old data source or the new one, never a file without it.
bool RegisterInFile(const std::string& ini, const std::string& dsn, const std::string& driver,
                    const Pairs& pairs) {
    const std::string failed = "Cannot write data source '" + dsn + "' to " + ini;
    // Through a link to where the file really is, so that the link stays a link.
    char real[PATH_MAX] = {};
    const std::string file = realpath(ini.c_str(), real) ? std::string(real) : ini;
    struct stat st {};
    const bool exists = stat(file.c_str(), &st) == 0;
    std::string text;
    if (exists) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream content;
        content << in.rdbuf();
        if (!in) return Post(ODBC_ERROR_REQUEST_FAILED, "Cannot read " + file);
        text = content.str();
    }
    std::string others;
    Pairs stored;
    SplitSection(text, dsn, &others, &stored);
    if (HoldsValues(stored, driver, pairs)) return true;

    others += "[" + dsn + "]\nDriver=" + driver + "\n";
    for (const auto& [key, value] : pairs)
        if (strcasecmp(key.c_str(), "DSN") != 0) others += key + "=" + value + "\n";
    std::string temp = file + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) return Post(ODBC_ERROR_REQUEST_FAILED, failed);
    ForgetCachedValues(temp);
    // mkstemp's 0600 suits a new file (it may come to hold passwords); an existing one
    // keeps its mode.
    bool ok = (!exists || fchmod(fd, st.st_mode & 07777) == 0) &&
              write(fd, others.data(), others.size()) == static_cast<ssize_t>(others.size()) &&
              fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (!ok || rename(temp.c_str(), file.c_str()) != 0) {
        unlink(temp.c_str());
        return Post(ODBC_ERROR_REQUEST_FAILED, failed);
    }
    return true;
}

}  // namespace

bool RegisterDataSource(const std::string& dsn, const std::string& driver, const Pairs& pairs) {
    const std::string ini = TargetIniFile();
    if (ini.empty()) return Post(ODBC_ERROR_REQUEST_FAILED, "Cannot find the odbc.ini file");
    return RegisterInFile(ini, dsn, driver, pairs);
}

}  // namespace kdbf
