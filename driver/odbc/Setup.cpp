// ConfigDSN: the installer calls it (through SQLConfigDataSource) to add, change or
// remove a data source of this driver. It never shows a window; what goes wrong is
// posted with SQLPostInstallerError.
#include "driver/odbc/OdbcApi.h"

#include <strings.h>

#include "driver/odbc/SetupIni.h"

namespace kdbf {
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

}  // namespace

bool Post(DWORD code, const std::string& text) {
    SQLPostInstallerError(code, text.c_str());
    return false;
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

bool WriteValues(const std::string& dsn, const Pairs& pairs) {
    for (const auto& [key, value] : pairs) {
        if (strcasecmp(key.c_str(), "DSN") == 0) continue;
        if (!SQLWritePrivateProfileString(dsn.c_str(), key.c_str(), value.c_str(), "odbc.ini"))
            return Post(ODBC_ERROR_REQUEST_FAILED,
                        "Cannot write '" + key + "' of data source '" + dsn + "' to odbc.ini");
    }
    return true;
}

namespace {

bool DataSourceExists(const std::string& dsn) {
    char driver[512] = {};
    return SQLGetPrivateProfileString(dsn.c_str(), "Driver", "", driver, sizeof driver,
                                      "odbc.ini") > 0;
}

}  // namespace
}  // namespace kdbf

using namespace kdbf;

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
                return RegisterDataSource(dsn, driver, pairs);
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
