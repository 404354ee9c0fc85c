// The program's way into <windows.h>. The program has names of its own (LoadString,
// GetProfileString, MessageBox, the MB_ and ID constants) that the Windows headers
// define as macros; res/WinMacros.h removes them again straight after.
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
// after windows.h: CommandLineToArgvW
#include <shellapi.h>

#include "res/WinMacros.h"
