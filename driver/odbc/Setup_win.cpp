// Data sources in the registry, through the installer's own functions.
#include "driver/odbc/SetupIni.h"

namespace kdbf {
namespace {

// Stands for "no such value": no real value holds it.
constexpr const char* kMissing = "\x01";

std::string Stored(const std::string& section, const std::string& key) {
    char value[1024] = {};
    SQLGetPrivateProfileString(section.c_str(), key.c_str(), kMissing, value, sizeof value,
                               "odbc.ini");
    return value;
}

// The driver description under which the list of data sources names `dsn`, or kMissing:
// the user's list before the machine's, as a connection finds it (and where Wine's
// installer puts it whatever the mode); only the machine's for a system data source.
// The installer's profile functions cannot tell: they read the data sources' own values.
std::string ListedDriver(const std::string& dsn) {
    UWORD mode = ODBC_BOTH_DSN;
    SQLGetConfigMode(&mode);
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        if (root == HKEY_CURRENT_USER && mode == ODBC_SYSTEM_DSN) continue;
        char value[1024] = {};
        DWORD size = sizeof value;
        if (RegGetValueA(root, "Software\\ODBC\\ODBC.INI\\ODBC Data Sources", dsn.c_str(),
                         RRF_RT_REG_SZ, nullptr, value, &size) == ERROR_SUCCESS)
            return value;
    }
    return kMissing;
}

}  // namespace

bool RegisterDataSource(const std::string& dsn, const std::string& driver, const Pairs& pairs) {
    // The data source's own "Driver" value is the driver's file; the list of data
    // sources names its description.
    Pairs stored;
    const std::string description = ListedDriver(dsn);
    if (description != kMissing) stored.emplace_back("Driver", description);
    for (const auto& [key, value] : pairs) {
        const std::string current = Stored(dsn, key);
        if (current != kMissing) stored.emplace_back(key, current);
    }
    if (HoldsValues(stored, driver, pairs)) return true;
    if (!SQLWriteDSNToIni(dsn.c_str(), driver.c_str()))
        return Post(ODBC_ERROR_REQUEST_FAILED, "Cannot write data source '" + dsn + "'");
    return WriteValues(dsn, pairs);
}

}  // namespace kdbf
