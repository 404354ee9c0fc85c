#include "ui/Settings.h"

#include "res/Strings.h"
#include "res/Win32.h"

namespace {

// HKEY_CURRENT_USER\Software\<settings key>\<app>\<section>: the settings key itself
// begins with "Software", so the word stands twice, and the application name is one
// more level below it. Missing keys are created on reads as well as writes.
HKEY OpenSectionKey(const std::string& strSection) {
    std::string strKey =
        "Software\\" + LoadString(IDS_SETTINGS_KEY) + "\\" + AppName() + "\\" + strSection;
    HKEY hKey = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, strKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, nullptr, &hKey, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return hKey;
}

}  // namespace

std::string GetProfileString(const std::string& strSection, const std::string& strEntry) {
    HKEY hKey = OpenSectionKey(strSection);
    if (!hKey) return {};
    std::string strValue;
    DWORD nType = 0, nSize = 0;
    if (RegQueryValueExA(hKey, strEntry.c_str(), nullptr, &nType, nullptr, &nSize) ==
            ERROR_SUCCESS &&
        nType == REG_SZ && nSize > 0) {
        std::string strData(nSize, '\0');
        if (RegQueryValueExA(hKey, strEntry.c_str(), nullptr, &nType,
                             reinterpret_cast<BYTE*>(strData.data()), &nSize) == ERROR_SUCCESS)
            strValue = strData.substr(0, strData.find('\0'));
    }
    RegCloseKey(hKey);
    return strValue;
}

void WriteProfileString(const std::string& strSection, const std::string& strEntry,
                        const std::string& strValue) {
    HKEY hKey = OpenSectionKey(strSection);
    if (!hKey) return;
    RegSetValueExA(hKey, strEntry.c_str(), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(strValue.c_str()),
                   static_cast<DWORD>(strValue.size() + 1));
    RegCloseKey(hKey);
}
