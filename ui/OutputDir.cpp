#include "ui/OutputDir.h"

#include <cctype>
#include <filesystem>

#include "res/Strings.h"
#include "ui/Settings.h"
#include "ui/WineRegistry.h"

std::string CompanionSystemDir(uint32_t nType, const std::string& strData) {
    if (nType != kRegSz && nType != kRegExpandSz && nType != kRegMultiSz) return {};
    if (strData.size() > kPathValueBuffer) return {};
    // Of a REG_MULTI_SZ only the first string counts; environment references stay as
    // they are; a trailing backslash is kept, doubling the one added here.
    return strData.substr(0, strData.find('\0')) + "\\System";
}

std::string MapWinePath(const std::string& strPrefix, const std::string& strWinPath) {
    if (strWinPath.size() < 2 || strWinPath[1] != ':' ||
        !std::isalpha(static_cast<unsigned char>(strWinPath[0])))
        return {};
    std::string strLink =
        strPrefix + "/dosdevices/" +
        static_cast<char>(std::tolower(static_cast<unsigned char>(strWinPath[0]))) + ":";
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
    std::string strDir = CRememberedFolders().OutputDir();
    if (strDir.empty()) strDir = CompanionOutputDir();
    if (strDir.empty()) strDir = CurrentDir();
    return strDir;
}
