// A hermetic ODBC configuration for one test process: a temporary folder with its own
// odbcinst.ini (our driver registered, or not) and user odbc.ini, and the environment
// variables that the driver manager reads pointed there. Construct it before the first
// ODBC call of the process: unixODBC reads these variables only once.
#pragma once

#include <string>

#include "tests/support/TempDir.h"

// The description under which the program asks for the dBase driver.
inline constexpr const char* kDriverDescription = "Microsoft dBase Driver (*.dbf)";

class COdbcSandbox {
public:
    // With `bRegisterDriver` false, odbcinst.ini names no drivers at all.
    explicit COdbcSandbox(bool bRegisterDriver = true);

    // Sends the registration request exactly as the program does at start-up
    // (SQLConfigDataSource for "zlmrt_conv"). Returns its result.
    bool RegisterDataSource();

    // The installer's first error record after a failed request: "<code>: <message>".
    std::string InstallerError();

    const std::string& Dir() const { return m_dir.Path(); }
    // The built driver library.
    static std::string DriverPath();

private:
    CTempDir m_dir;
};
