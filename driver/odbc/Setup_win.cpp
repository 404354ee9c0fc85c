// Data sources in the registry, through the installer's own functions.
#include <strings.h>

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

}  // namespace

bool RegisterDataSource(const std::string& dsn, const std::string& driver, const Pairs& pairs) {
    // The data source's own "Driver" value is the driver's file; the list of data
    // sources names its description.
    Pairs stored;
    const std::string description = Stored("ODBC Data Sources", dsn);
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
