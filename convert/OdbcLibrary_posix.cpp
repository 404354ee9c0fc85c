#include "convert/OdbcLibrary.h"

#include <dlfcn.h>

namespace {

// unixODBC's sonames: the runtime package installs these, the -dev package only the
// unversioned links.
std::string g_strFiles[2] = {"libodbc.so.2", "libodbcinst.so.2"};

void* Handle(EOdbcLibrary library) {
    static void* handles[2] = {};
    static bool bTried[2] = {};
    size_t i = static_cast<size_t>(library);
    if (!bTried[i]) {
        bTried[i] = true;
        handles[i] = dlopen(g_strFiles[i].c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    return handles[i];
}

}  // namespace

void* OdbcSymbol(EOdbcLibrary library, const char* pszName) {
    void* h = Handle(library);
    return h ? dlsym(h, pszName) : nullptr;
}

bool DriverManagerInstalled() {
    return Handle(EOdbcLibrary::driverManager) != nullptr;
}

void SetOdbcLibraryFiles(const std::string& strDriverManager, const std::string& strInstaller) {
    g_strFiles[0] = strDriverManager;
    g_strFiles[1] = strInstaller;
}
