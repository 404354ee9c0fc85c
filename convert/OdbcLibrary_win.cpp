#include "convert/OdbcLibrary.h"

#include "res/Win32.h"

namespace {

std::string g_strFiles[2] = {"odbc32.dll", "odbccp32.dll"};

// Bare names are looked up in the system folder only: a DLL of the same name in the
// program's or the current folder must never be loaded in their place.
std::string FullPath(const std::string& strFile) {
    if (strFile.find_first_of("\\/:") != std::string::npos) return strFile;
    char szDir[MAX_PATH];
    UINT n = GetSystemDirectoryA(szDir, sizeof szDir);
    if (n == 0 || n >= sizeof szDir) return {};
    return std::string(szDir, n) + "\\" + strFile;
}

HMODULE Handle(EOdbcLibrary library) {
    static HMODULE handles[2] = {};
    static bool bTried[2] = {};
    size_t i = static_cast<size_t>(library);
    if (!bTried[i]) {
        bTried[i] = true;
        std::string strPath = FullPath(g_strFiles[i]);
        if (!strPath.empty()) handles[i] = LoadLibraryA(strPath.c_str());
    }
    return handles[i];
}

}  // namespace

void* OdbcSymbol(EOdbcLibrary library, const char* pszName) {
    HMODULE h = Handle(library);
    return h ? reinterpret_cast<void*>(GetProcAddress(h, pszName)) : nullptr;
}

// The presence test looks at the file, not at whether it loads: a driver manager that
// is installed but broken is a different message.
bool DriverManagerInstalled() {
    std::string strPath = FullPath(g_strFiles[0]);
    return !strPath.empty() && GetFileAttributesA(strPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void SetOdbcLibraryFiles(const std::string& strDriverManager, const std::string& strInstaller) {
    g_strFiles[0] = strDriverManager;
    g_strFiles[1] = strInstaller;
}
