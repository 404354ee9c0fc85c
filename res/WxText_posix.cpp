#include "res/WxText.h"

wxString ToWx(const std::string& str) {
    wxString wx = wxString::FromUTF8(str.data(), str.size());
    return wx.empty() && !str.empty() ? wxString::From8BitData(str.data(), str.size()) : wx;
}

std::string FromWx(const wxString& wx) {
    wxScopedCharBuffer buf = wx.utf8_str();
    return std::string(buf.data(), buf.length());
}

bool FitsProgramText(const wxString&) {
    return true;
}
