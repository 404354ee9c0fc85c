#include "ui/OutputDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "res/Strings.h"
#include "ui/WineRegistry.h"

namespace {

std::string WinePrefix() {
    if (const char* psz = std::getenv("WINEPREFIX"); psz && *psz) return psz;
    if (const char* psz = std::getenv("HOME"); psz && *psz) return std::string(psz) + "/.wine";
    return {};
}

// The companion application is a Windows program; on Linux it lives in a Wine prefix,
// whose machine registry is the text file system.reg.
}  // namespace

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
