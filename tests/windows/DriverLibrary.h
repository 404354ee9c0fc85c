// The driver library loaded by hand, the way a driver manager loads it, and the text of
// the narrow calls (the ANSI code page on Windows, UTF-8 elsewhere).
#pragma once

#include <string>

// The library at `path`, or nullptr.
void* LoadDriverLibrary(const std::string& path);
// The entry point `name` of `library`, or nullptr.
void* DriverEntryPoint(void* library, const char* name);

std::string Utf8ToNarrowText(const std::string& utf8);
std::string NarrowTextToUtf8(const std::string& narrow);
