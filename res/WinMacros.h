// Removes the <windows.h> macros that share a name with the program's own functions and
// constants, so that those keep their names on Windows. Deliberately without an include
// guard: it is included after <windows.h> (res/Win32.h) and again by each header that
// declares such a name, in case a library header brought <windows.h> in before it (the
// wxWidgets headers for Windows do). Does nothing elsewhere.
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
// A type of the ODBC driver's (driver/odbc/Handles.h).
#undef TextOut
