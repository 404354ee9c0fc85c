#include "res/WxText.h"

#include "res/Win32.h"

namespace {

// The ANSI code page conversion, without "best fit": a character the code page lacks
// must not quietly become a look-alike that names another file.
std::string ToAnsi(const wxString& wx, bool* pLossy) {
    const std::wstring strWide = wx.ToStdWstring();
    if (pLossy) *pLossy = false;
    if (strWide.empty()) return {};
    int nWide = static_cast<int>(strWide.size());
    int nSize = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, strWide.data(), nWide, nullptr, 0,
                                    nullptr, nullptr);
    if (nSize <= 0) {
        if (pLossy) *pLossy = true;
        return {};
    }
    std::string str(static_cast<size_t>(nSize), '\0');
    BOOL bDefaultUsed = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, strWide.data(), nWide, str.data(), nSize,
                        nullptr, pLossy ? &bDefaultUsed : nullptr);
    if (pLossy) *pLossy = bDefaultUsed != FALSE;
    return str;
}

}  // namespace

wxString ToWx(const std::string& str) {
    if (str.empty()) return {};
    int nLength = static_cast<int>(str.size());
    int nWide = MultiByteToWideChar(CP_ACP, 0, str.data(), nLength, nullptr, 0);
    if (nWide <= 0) return wxString::From8BitData(str.data(), str.size());
    std::wstring strWide(static_cast<size_t>(nWide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, str.data(), nLength, strWide.data(), nWide);
    return wxString(strWide);
}

std::string FromWx(const wxString& wx) {
    return ToAnsi(wx, nullptr);
}

bool FitsProgramText(const wxString& wx) {
    bool bLossy = false;
    ToAnsi(wx, &bLossy);
    return !bLossy;
}
