// Text between the program's byte strings and wxWidgets. File names and texts are UTF-8
// on Linux; a string that is not (an old table path in the Windows code page) is shown
// byte for byte rather than as nothing.
#pragma once

#include <string>

#include <wx/string.h>

inline wxString ToWx(const std::string& str) {
    wxString wx = wxString::FromUTF8(str.data(), str.size());
    return wx.empty() && !str.empty() ? wxString::From8BitData(str.data(), str.size()) : wx;
}

inline std::string FromWx(const wxString& wx) {
    wxScopedCharBuffer buf = wx.utf8_str();
    return std::string(buf.data(), buf.length());
}
