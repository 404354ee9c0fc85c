#include "log/ExecutablePath.h"

#include "res/Win32.h"

std::string ExecutablePath() {
    // GetModuleFileNameA truncates silently and says so only by filling the buffer, so
    // grow it until the path fits.
    std::string strPath(MAX_PATH, '\0');
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, strPath.data(), static_cast<DWORD>(strPath.size()));
        if (n == 0) return {};
        if (n < strPath.size()) return strPath.substr(0, n);
        if (strPath.size() >= 32768) return {};
        strPath.resize(strPath.size() * 2);
    }
}
