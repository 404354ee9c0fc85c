#include "ui/OutputDir.h"

#include "res/Strings.h"
#include "res/Win32.h"
#include "ui/WineRegistry.h"

namespace {

// Reads the "Path" value into a buffer of kPathValueBuffer bytes; a longer value fails.
bool ReadCompanionPath(REGSAM view, SRegValue& value) {
    HKEY hKey = nullptr;
    std::string strKey = LoadString(IDS_COMPANION_APP_KEY);
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, strKey.c_str(), 0, KEY_QUERY_VALUE | view, &hKey) !=
        ERROR_SUCCESS)
        return false;
    char szData[kPathValueBuffer];
    DWORD nType = 0, nSize = sizeof szData;
    bool bOk = RegQueryValueExA(hKey, "Path", nullptr, &nType, reinterpret_cast<BYTE*>(szData),
                                &nSize) == ERROR_SUCCESS;
    RegCloseKey(hKey);
    if (bOk) value = {nType, std::string(szData, nSize)};
    return bOk;
}

}  // namespace

// The companion is a 32-bit program: its installer registers it in the 32-bit view of
// the machine's registry, which is the only one a 32-bit build of this program ever
// saw. This 64-bit build looks there first, then in its own view.
std::string CompanionOutputDir() {
    SRegValue value;
    if (!ReadCompanionPath(KEY_WOW64_32KEY, value) && !ReadCompanionPath(KEY_WOW64_64KEY, value))
        return {};
    return CompanionSystemDir(value.nType, value.strData);
}

std::string CurrentDir() {
    char szDir[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(sizeof szDir, szDir);
    return n > 0 && n < sizeof szDir ? std::string(szDir, n) : std::string();
}
