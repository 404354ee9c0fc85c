// ConfigDSN: the installer calls it (through SQLConfigDataSource) to add, change or
// remove a data source of this driver. It never shows a window; what goes wrong is
// posted with SQLPostInstallerError.
#include "driver/odbc/OdbcApi.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

// The installer's own answer to "which odbc.ini does this request write?".
extern "C" BOOL _odbcinst_UserINI(char* file, BOOL verify);
extern "C" BOOL _odbcinst_SystemINI(char* file, BOOL verify);

using Pairs = std::vector<std::pair<std::string, std::string>>;

namespace {

// "KEY=value\0KEY=value\0\0" into pairs; false when an entry has no '='.
bool ParseAttributeList(const char* list, Pairs* pairs, std::string* bad) {
    if (list == nullptr) return true;
    for (const char* p = list; *p != '\0'; p += std::char_traits<char>::length(p) + 1) {
        std::string entry(p);
        const std::size_t eq = entry.find('=');
        if (eq == std::string::npos || eq == 0) {
            *bad = entry;
            return false;
        }
        pairs->emplace_back(entry.substr(0, eq), entry.substr(eq + 1));
    }
    return true;
}

bool Post(DWORD code, const std::string& text) {
    SQLPostInstallerError(code, text.c_str());
    return false;
}

bool WriteValues(const std::string& dsn, const Pairs& pairs) {
    for (const auto& [key, value] : pairs) {
        if (strcasecmp(key.c_str(), "DSN") == 0) continue;
        if (!SQLWritePrivateProfileString(dsn.c_str(), key.c_str(), value.c_str(), "odbc.ini"))
            return Post(ODBC_ERROR_REQUEST_FAILED,
                        "Cannot write '" + key + "' of data source '" + dsn + "' to odbc.ini");
    }
    return true;
}

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

// True when `stored` (a section's entries) names `driver` and holds every requested
// value, so that registering again would change nothing.
bool HoldsValues(const Pairs& stored, const std::string& driver, const Pairs& pairs) {
    auto holds = [&](const std::string& key, const std::string& value) {
        for (const auto& [storedKey, storedValue] : stored)
            if (strcasecmp(storedKey.c_str(), key.c_str()) == 0) return storedValue == value;
        return false;
    };
    if (!holds("Driver", driver)) return false;
    for (const auto& [key, value] : pairs)
        if (strcasecmp(key.c_str(), "DSN") != 0 && !holds(key, value)) return false;
    return true;
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

bool DataSourceExists(const std::string& dsn) {
    char driver[512] = {};
    return SQLGetPrivateProfileString(dsn.c_str(), "Driver", "", driver, sizeof driver,
                                      "odbc.ini") > 0;
}

}  // namespace

extern "C" BOOL INSTAPI ConfigDSN(HWND, WORD request, LPCSTR driver, LPCSTR attributes) {
    try {
        Pairs pairs;
        std::string bad;
        if (!ParseAttributeList(attributes, &pairs, &bad))
            return Post(ODBC_ERROR_INVALID_KEYWORD_VALUE,
                        "Attribute '" + bad + "' is not of the form KEY=value");
        std::string dsn;
        for (const auto& [key, value] : pairs)
            if (strcasecmp(key.c_str(), "DSN") == 0 && dsn.empty()) dsn = value;
        if (dsn.empty())
            return Post(ODBC_ERROR_INVALID_KEYWORD_VALUE, "No data source name (DSN=) given");
        if (!SQLValidDSN(dsn.c_str()))
            return Post(ODBC_ERROR_INVALID_DSN, "Data source name '" + dsn + "' is not valid");
        switch (request) {
            case ODBC_ADD_DSN: {
                // Programs register at every start while others may be connecting: an
                // unchanged data source is left alone, a changed one replaced in one step.
                if (driver == nullptr || *driver == '\0')
                    return Post(ODBC_ERROR_INVALID_NAME, "No driver description given");
                const std::string ini = TargetIniFile();
                if (ini.empty())
                    return Post(ODBC_ERROR_REQUEST_FAILED, "Cannot find the odbc.ini file");
                return RegisterInFile(ini, dsn, driver, pairs);
            }
            case ODBC_CONFIG_DSN:
                if (!DataSourceExists(dsn))
                    return Post(ODBC_ERROR_INVALID_DSN, "Data source '" + dsn + "' does not exist");
                return WriteValues(dsn, pairs);
            case ODBC_REMOVE_DSN:
                if (!DataSourceExists(dsn))
                    return Post(ODBC_ERROR_INVALID_DSN, "Data source '" + dsn + "' does not exist");
                if (!SQLRemoveDSNFromIni(dsn.c_str()))
                    return Post(ODBC_ERROR_REQUEST_FAILED,
                                "Cannot remove data source '" + dsn + "'");
                return true;
            default:
                return Post(ODBC_ERROR_INVALID_REQUEST_TYPE,
                            "Request " + std::to_string(request) + " is not supported");
        }
    } catch (...) {
        return Post(ODBC_ERROR_OUT_OF_MEM, "Out of memory");
    }
}
