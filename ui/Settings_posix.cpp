#include "ui/Settings.h"

#include <wx/fileconf.h>
#include <wx/log.h>
#include <wx/mstream.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "res/Strings.h"

namespace {

// "$XDG_CONFIG_HOME/Tarvesk Software/kestrix/<app>.ini" (the settings key below its leading
// "Software", as folders), with ~/.config standing in for an unset or relative
// XDG_CONFIG_HOME. Empty when there is no home to put it in.
std::string SettingsFilePath() {
    std::string strBase;
    const char* pszXdg = std::getenv("XDG_CONFIG_HOME");
    const char* pszHome = std::getenv("HOME");
    if (pszXdg && pszXdg[0] == '/')
        strBase = pszXdg;
    else if (pszHome && pszHome[0] != '\0')
        strBase = std::string(pszHome) + "/.config";
    else
        return {};
    std::string strKey = LoadString(IDS_SETTINGS_KEY);
    strKey.erase(0, strKey.find('\\') + 1);
    std::replace(strKey.begin(), strKey.end(), '\\', '/');
    return strBase + "/" + strKey + "/" + AppName() + ".ini";
}

// Paths are byte strings on Linux. Latin-1 both in memory and on disk maps every byte to
// one character and back, so a value is stored byte for byte, whatever its encoding.
wxString FromBytes(const std::string& str) {
    return wxString(str.data(), wxConvISO8859_1, str.size());
}
std::string ToBytes(const wxString& str) {
    wxCharBuffer buf = str.mb_str(wxConvISO8859_1);
    return std::string(buf.data(), buf.length());
}

// Rereads the file each time: settings are touched a handful of times per run, and
// another instance of the program may have changed them meanwhile. The file is read and
// written here rather than by wxFileConfig itself, which would need a wxApp for its
// default folders and would report failures in log windows.
std::string ReadWholeFile(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    std::ostringstream text;
    if (in) text << in.rdbuf();
    return text.str();
}

class CSettingsFile {
public:
    explicit CSettingsFile(const std::string& strText)
        : m_stream(strText.data(), strText.size()), m_config(m_stream, wxConvISO8859_1) {
        // A folder called "$HOME" must come back as written.
        m_config.SetExpandEnvVars(false);
    }
    wxMemoryInputStream m_stream;
    wxFileConfig m_config;
};

// Writes a sibling file and renames it over the old one, so a failed write never leaves
// a half-written settings file behind.
void ReplaceFile(const std::string& strPath, const std::string& strText) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(strPath).parent_path(), ec);
    std::string strTemp = strPath + ".new";
    {
        std::ofstream out(strTemp, std::ios::binary | std::ios::trunc);
        out.write(strText.data(), static_cast<std::streamsize>(strText.size()));
        out.close();
        if (!out) {
            std::filesystem::remove(strTemp, ec);
            return;
        }
    }
    std::filesystem::rename(strTemp, strPath, ec);
    if (ec) std::filesystem::remove(strTemp, ec);
}

}  // namespace

std::string GetProfileString(const std::string& strSection, const std::string& strEntry) {
    std::string strPath = SettingsFilePath();
    if (strPath.empty()) return {};
    wxLogNull noLog;  // a damaged file just reads as far as it makes sense
    CSettingsFile file(ReadWholeFile(strPath));
    wxString strValue;
    if (!file.m_config.Read("/" + FromBytes(strSection) + "/" + FromBytes(strEntry), &strValue))
        return {};
    return ToBytes(strValue);
}

void WriteProfileString(const std::string& strSection, const std::string& strEntry,
                        const std::string& strValue) {
    std::string strPath = SettingsFilePath();
    if (strPath.empty()) return;
    wxLogNull noLog;
    CSettingsFile file(ReadWholeFile(strPath));
    file.m_config.Write("/" + FromBytes(strSection) + "/" + FromBytes(strEntry),
                        FromBytes(strValue));
    wxMemoryOutputStream out;
    if (!file.m_config.Save(out, wxConvISO8859_1)) return;
    std::string strText(out.GetLength(), '\0');
    out.CopyTo(strText.data(), strText.size());
    ReplaceFile(strPath, strText);
}
