#include <dlfcn.h>

#include "tests/windows/DriverLibrary.h"

void* LoadDriverLibrary(const std::string& path) {
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* DriverEntryPoint(void* library, const char* name) {
    return dlsym(library, name);
}

std::string Utf8ToNarrowText(const std::string& utf8) {
    return utf8;
}

std::string NarrowTextToUtf8(const std::string& narrow) {
    return narrow;
}
