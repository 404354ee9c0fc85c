// Text between the program's byte strings and wxWidgets' Unicode strings: the one edge
// where the window's text meets file names, ODBC and the price-list header. The
// program's strings are UTF-8 on Linux and in the ANSI code page on Windows, where they
// reach the A-functions. One implementation per platform.
#pragma once

#include <string>

#include <wx/string.h>

#include "res/Strings.h"  // kUnrepresentablePath

// Program text for the window. A string that is not valid in the program's encoding (an
// old table path in another code page) is shown byte for byte rather than as nothing.
wxString ToWx(const std::string& str);

// Window text for the program. Characters the program's encoding cannot hold come out as
// "?"; check with FitsProgramText first where that matters.
std::string FromWx(const wxString& wx);

// Whether `wx` survives FromWx unchanged. Always true on Linux; on Windows false for
// text the ANSI code page cannot represent (a path with such a name cannot be opened
// by the program, so it must be refused with a clear message).
bool FitsProgramText(const wxString& wx);
