#include "ui/Settings.h"

#include "log/RunLog.h"
#include "res/Strings.h"

#if defined(_WIN32)
#include <windows.h>
#elif defined(__unix__)
#include <wx/fileconf.h>
#include <wx/log.h>
#include <wx/mstream.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#else
#error "No settings store for this platform"
#endif

std::string AppName() {
    std::string strPath = ExecutablePath();
    size_t nSep = strPath.find_last_of("/\\");
    std::string strName = nSep == std::string::npos ? strPath : strPath.substr(nSep + 1);
    size_t nDot = strName.rfind('.');
    if (nDot != std::string::npos) strName.erase(nDot);
    return strName.empty() ? std::string("kestrix") : strName;
}

#if defined(_WIN32)

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
            ERROR_SUCCESS && nType == REG_SZ && nSize > 0) {
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

#else

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
wxString FromBytes(const std::string& str) { return wxString(str.data(), wxConvISO8859_1, str.size()); }
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

#endif
