#include "app/OdbcEnvironment.h"

#include "convert/OdbcLibrary.h"
#include "log/RunLog.h"
#include "res/MessageBox.h"
#include "res/Strings.h"

namespace {

constexpr int kOdbcAddDsn = 1;
constexpr int kSqlSuccess = 0;
constexpr int kSqlSuccessWithInfo = 1;
constexpr int kSqlError = -1;
constexpr int kErrorBufferSize = 510;

// The installer's form: every pair ends in a NUL and one more NUL ends the list.
constexpr char kAttributeList[] =
    "DSN=zlmrt_conv\0Description=dBase tables for kestrix program\0FIL=dBase III\0\0";
const std::string kAttributes(kAttributeList, sizeof kAttributeList - 1);

// The message for an installer error code, tested in this order.
int MessageForCode(uint32_t nCode) {
    if (nCode < 6) return IDS_ODBC_PROBLEM;
    if (nCode == 6 || nCode == 7)
        return IDS_ODBC_DRIVER_MISSING;            // component not found, invalid name
    if (nCode == 13) return IDS_ODBC_LOAD_FAILED;  // load library failed
    return IDS_ODBC_PROBLEM;
}

std::string FormatCodeEntry(uint32_t nCode, const std::string& strMessage) {
    return "Error initializing ODBC, error code " + std::to_string(nCode) +
           ", description follows:\r\n\t" + strMessage + "\r\n";
}

}  // namespace

bool CheckOdbcEnvironment(IOdbcInstaller& installer, IMessageBox& box, CRunLog& log) {
    // Asked before the registration, consulted only after it has failed.
    bool bPresent = installer.DriverManagerPresent();
    if (installer.ConfigDataSource(kOdbcAddDsn, "Microsoft dBase Driver (*.dbf)", kAttributes))
        return true;

    if (!bPresent) {
        box.MessageBox(LoadString(IDS_ODBC_NOT_INSTALLED), MB_OK | MB_ICONSTOP);
        log.AppendLog("ODBC is not installed, exiting...\n");
        return false;
    }

    int nMessage = IDS_ODBC_PROBLEM;
    uint32_t nCode = 0;
    std::string strMessage;
    int nStatus = installer.InstallerError(1, nCode, strMessage, kErrorBufferSize);
    if (nStatus != kSqlSuccess && nStatus != kSqlSuccessWithInfo) {
        log.AppendLog("Error initializing ODBC, cannot determine the reason. Exiting...\r\n");
    } else {
        nMessage = MessageForCode(nCode);
        log.AppendLog(FormatCodeEntry(nCode, strMessage));
    }
    box.MessageBox(LoadString(nMessage), MB_OK | MB_ICONSTOP);
    return false;
}

namespace {

using FnConfigDataSource = int (*)(void*, unsigned short, const char*, const char*);
using FnInstallerError = short (*)(unsigned short, uint32_t*, char*, unsigned short,
                                   unsigned short*);

// The installer bound on first use: a machine without it must still start far enough to
// tell the user, so it is never a link-time dependency.
class CPlatformOdbcInstaller : public IOdbcInstaller {
public:
    bool DriverManagerPresent() override { return DriverManagerInstalled(); }
    bool ConfigDataSource(int nRequest, const std::string& strDriver,
                          const std::string& strAttributes) override;
    int InstallerError(int nRecord, uint32_t& nCode, std::string& strMessage,
                       int nBufferSize) override;

private:
    static void* Symbol(const char* pszName) {
        return OdbcSymbol(EOdbcLibrary::installer, pszName);
    }
};

bool CPlatformOdbcInstaller::ConfigDataSource(int nRequest, const std::string& strDriver,
                                              const std::string& strAttributes) {
    auto fn = reinterpret_cast<FnConfigDataSource>(Symbol("SQLConfigDataSource"));
    if (!fn) return false;
    return fn(nullptr, static_cast<unsigned short>(nRequest), strDriver.c_str(),
              strAttributes.c_str()) != 0;
}

int CPlatformOdbcInstaller::InstallerError(int nRecord, uint32_t& nCode, std::string& strMessage,
                                           int nBufferSize) {
    auto fn = reinterpret_cast<FnInstallerError>(Symbol("SQLInstallerError"));
    if (!fn || nBufferSize <= 0) return kSqlError;
    std::string strBuffer(static_cast<size_t>(nBufferSize), '\0');
    unsigned short nLength = 0;
    uint32_t nErrorCode = 0;
    short nStatus = fn(static_cast<unsigned short>(nRecord), &nErrorCode, strBuffer.data(),
                       static_cast<unsigned short>(nBufferSize), &nLength);
    if (nStatus == kSqlSuccess || nStatus == kSqlSuccessWithInfo) {
        nCode = nErrorCode;
        strMessage = strBuffer.substr(0, strBuffer.find('\0'));
    }
    return nStatus;
}

}  // namespace

IOdbcInstaller& PlatformOdbcInstaller() {
    static CPlatformOdbcInstaller installer;
    return installer;
}
