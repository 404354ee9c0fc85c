// The ODBC driver manager and installer libraries, bound on first use rather than at
// load time: a machine without them must still start far enough to tell the user.
// One implementation per platform.
#pragma once

#include <string>

enum class EOdbcLibrary { driverManager, installer };

// The address of the function `pszName` in `library`, loading the library on first use
// (it then stays loaded for the life of the process). nullptr when the library or the
// function cannot be had.
void* OdbcSymbol(EOdbcLibrary library, const char* pszName);

// Whether the driver manager is installed: on Windows its DLL lies in the system
// folder; elsewhere its library loads.
bool DriverManagerInstalled();

// For tests: load these files instead of the platform's libraries. Only effective
// before the first OdbcSymbol or DriverManagerInstalled call of the process.
void SetOdbcLibraryFiles(const std::string& strDriverManager, const std::string& strInstaller);
