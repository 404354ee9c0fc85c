// The one way into <windows.h>. The program has names of its own (LoadString,
// GetProfileString, MessageBox, the MB_ and ID constants) that the Windows headers
// define as macros; including them here and nowhere else keeps those macros away from
// the program's names.
#pragma once

#ifndef _WIN32
#error "res/Win32.h is for the Windows build only"
#endif

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef LoadString
#undef GetProfileString
#undef WriteProfileString
#undef MessageBox

// The message-box flags and answers are enumerators in res/MessageBox.h with the
// platform's values; the Windows macros of the same names would turn those declarations
// into nonsense.
#undef MB_OK
#undef MB_OKCANCEL
#undef MB_YESNOCANCEL
#undef MB_YESNO
#undef MB_ICONSTOP
#undef MB_ICONQUESTION
#undef MB_ICONEXCLAMATION
#undef MB_ICONINFORMATION
#undef MB_TYPEMASK
#undef MB_ICONMASK
#undef IDOK
#undef IDCANCEL
#undef IDYES
#undef IDNO
