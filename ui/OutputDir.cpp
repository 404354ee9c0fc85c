#include "ui/OutputDir.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "res/Strings.h"
#include "ui/Settings.h"
#include "ui/WineRegistry.h"

#if defined(_WIN32)
#include <windows.h>
#elif !defined(__unix__)
#error "No output-folder rule for this platform"
#endif

std::string CompanionSystemDir(uint32_t nType, const std::string& strData) {
    if (nType != kRegSz && nType != kRegExpandSz && nType != kRegMultiSz) return {};
    if (strData.size() > kPathValueBuffer) return {};
    // Of a REG_MULTI_SZ only the first string counts; environment references stay as
    // they are; a trailing backslash is kept, doubling the one added here.
    return strData.substr(0, strData.find('\0')) + "\\System";
}

namespace {

#if defined(_WIN32)

bool ReadCompanionPath(SRegValue& value) {
    HKEY hKey = nullptr;
    std::string strKey = LoadString(IDS_COMPANION_APP_KEY);
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, strKey.c_str(), 0, KEY_QUERY_VALUE, &hKey) !=
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

std::string CompanionOutputDir() {
    SRegValue value;
    return ReadCompanionPath(value) ? CompanionSystemDir(value.nType, value.strData)
                                    : std::string();
}

std::string CurrentDir() {
    char szDir[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(sizeof szDir, szDir);
    return n > 0 && n < sizeof szDir ? std::string(szDir, n) : std::string();
}

#else

std::string WinePrefix() {
    if (const char* psz = std::getenv("WINEPREFIX"); psz && *psz) return psz;
    if (const char* psz = std::getenv("HOME"); psz && *psz) return std::string(psz) + "/.wine";
    return {};
}

// The companion application is a Windows program; on Linux it lives in a Wine prefix,
// whose machine registry is the text file system.reg.
std::string CompanionOutputDir() {
    std::string strPrefix = WinePrefix();
    if (strPrefix.empty()) return {};
    std::ifstream in(strPrefix + "/system.reg", std::ios::binary);
    if (!in) return {};
    std::ostringstream text;
    text << in.rdbuf();
    // A 32-bit installer in a 64-bit prefix (Wine's default) writes below Wow6432Node,
    // the view a 32-bit program reads; a 32-bit prefix has only the plain key.
    const std::string strKey = LoadString(IDS_COMPANION_APP_KEY);
    const std::string strKey32 = "Software\\Wow6432Node" + strKey.substr(strKey.find('\\'));
    SRegValue value;
    if (!FindWineRegValue(text.str(), strKey, "Path", value) &&
        !FindWineRegValue(text.str(), strKey32, "Path", value))
        return {};
    std::string strWinDir = CompanionSystemDir(value.nType, value.strData);
    return strWinDir.empty() ? std::string() : MapWinePath(strPrefix, strWinDir);
}

std::string CurrentDir() {
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::current_path(ec);
    return ec ? std::string() : dir.string();
}

#endif

}  // namespace

std::string MapWinePath(const std::string& strPrefix, const std::string& strWinPath) {
    if (strWinPath.size() < 2 || strWinPath[1] != ':' ||
        !std::isalpha(static_cast<unsigned char>(strWinPath[0])))
        return {};
    std::string strLink = strPrefix + "/dosdevices/" +
                          static_cast<char>(std::tolower(static_cast<unsigned char>(strWinPath[0]))) +
                          ":";
    std::error_code ec;
    std::filesystem::path drive = std::filesystem::canonical(strLink, ec);
    if (ec) return {};
    std::string strRest = strWinPath.substr(2);
    for (char& c : strRest)
        if (c == '\\') c = '/';
    if (!strRest.empty() && strRest[0] != '/') strRest.insert(0, "/");
    std::string strDrive = drive.string();
    if (strDrive == "/") strDrive.clear();
    std::string strPath = strDrive + strRest;
    return strPath.empty() ? std::string("/") : strPath;
}

std::string DetermineOutputDirPath() {
    std::string strDir = GetProfileString(kSectionGeneral, kEntryOutputDir);
    if (strDir.empty()) strDir = CompanionOutputDir();
    if (strDir.empty()) strDir = CurrentDir();
    return strDir;
}
