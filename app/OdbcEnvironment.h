// The start-up check of the ODBC installation, which also registers the data source
// "zlmrt_conv" on the dBase driver at every start.
#pragma once

#include <cstdint>
#include <string>

class CRunLog;
class IMessageBox;

// What the check needs of the platform; the tests give it fakes.
class IOdbcInstaller {
public:
    virtual ~IOdbcInstaller() = default;
    // Whether the driver manager is there at all (tested before the registration).
    virtual bool DriverManagerPresent() = 0;
    // SQLConfigDataSource(no window, request, driver, NUL-separated attributes).
    virtual bool ConfigDataSource(int nRequest, const std::string& strDriver,
                                  const std::string& strAttributes) = 0;
    // SQLInstallerError for record `nRecord` with a message buffer of `nBufferSize`
    // bytes; returns the installer's status (0 or 1 when code and text were delivered).
    virtual int InstallerError(int nRecord, uint32_t& nCode, std::string& strMessage,
                               int nBufferSize) = 0;
};

// The platform's installer: the driver manager and installer libraries, loaded on first
// use, so a missing library is a failed registration rather than a program that cannot
// start.
IOdbcInstaller& PlatformOdbcInstaller();

// Registers the data source; on failure tells the user (messages 118 to 121), appends
// the reason to `log` and returns false.
bool CheckOdbcEnvironment(IOdbcInstaller& installer, IMessageBox& box, CRunLog& log);
