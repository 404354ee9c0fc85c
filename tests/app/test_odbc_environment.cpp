#include "app/OdbcEnvironment.h"

#include <gtest/gtest.h>

#include "convert/Database.h"
#include "convert/OdbcLibrary.h"
#include "log/RunLog.h"
#include "res/MessageBox.h"
#include "res/Strings.h"

using namespace std::string_literals;

namespace {

struct SCase {
    bool bPresent;
    int nStatus;  // of the installer error query
    uint32_t nCode;
    int nMessage;  // 0: registration succeeds
    std::string strLog;
};

// Installer and message box in one, tracing every call in order.
class CFakePlatform : public IOdbcInstaller, public IMessageBox {
public:
    explicit CFakePlatform(const SCase& c) : m_case(c) {}
    bool DriverManagerPresent() override { return m_case.bPresent; }
    bool ConfigDataSource(int nRequest, const std::string& strDriver,
                          const std::string& strAttributes) override {
        m_strTrace += "config(" + std::to_string(nRequest) + "," + strDriver + "," + strAttributes;
        return m_case.nMessage == 0;
    }
    int InstallerError(int nRecord, uint32_t& nCode, std::string& strMessage, int nSize) override {
        m_strTrace += ");error(" + std::to_string(nRecord) + "," + std::to_string(nSize);
        nCode = m_case.nCode;
        strMessage = "Component not found";
        return m_case.nStatus;
    }
    int MessageBox(const std::string& strText, unsigned nType) override {
        m_strTrace += ");box(" + strText + "," + std::to_string(nType);
        return IDOK;
    }
    SCase m_case;
    std::string m_strTrace;
};

std::string Entry(int nCode) {
    return "Error initializing ODBC, error code " + std::to_string(nCode) +
           ", description follows:\r\n\tComponent not found\r\n";
}

}  // namespace

TEST(CheckOdbcEnvironment, RegistersAndOnFailureShowsTheMessageAndLogsTheReason) {
    const SCase cases[] = {
        {false, 0, 6, 0, ""},  // success is silent, driver manager or not
        {false, 0, 6, IDS_ODBC_NOT_INSTALLED, "ODBC is not installed, exiting...\n"},
        {true, 100, 6, IDS_ODBC_PROBLEM,
         "Error initializing ODBC, cannot determine the reason. Exiting...\r\n"},
        {true, 1, 5, IDS_ODBC_PROBLEM, Entry(5)},
        {true, 0, 6, IDS_ODBC_DRIVER_MISSING, Entry(6)},
        {true, 1, 7, IDS_ODBC_DRIVER_MISSING, Entry(7)},
        {true, 0, 8, IDS_ODBC_PROBLEM, Entry(8)},
        {true, 0, 12, IDS_ODBC_PROBLEM, Entry(12)},
        {true, 1, 13, IDS_ODBC_LOAD_FAILED, Entry(13)},
        {true, 0, 14, IDS_ODBC_PROBLEM, Entry(14)},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.strLog);
        CFakePlatform platform(c);
        CRunLog log;
        EXPECT_EQ(CheckOdbcEnvironment(platform, platform, log), c.nMessage == 0);
        std::string strTrace =
            "config(1,Microsoft dBase Driver (*.dbf),DSN=zlmrt_conv\0Description=dBase tables "
            "for kestrix program\0FIL=dBase III\0\0"s;
        if (c.bPresent) strTrace += ");error(1,510";
        if (c.nMessage)
            strTrace += ");box(" + LoadString(c.nMessage) + "," + std::to_string(MB_ICONSTOP);
        EXPECT_EQ(platform.m_strTrace, strTrace);
        EXPECT_EQ(log.Text(), c.strLog);
    }
}

// The real binding on a machine without a driver manager: message 118, and a connection
// attempt is an ordinary database error rather than a crash.
TEST(PlatformOdbcInstaller, WithoutTheDriverManagerShowsMessage118) {
    SetOdbcLibraryFiles("kestrix-absent-odbc", "kestrix-absent-odbcinst");
    CFakePlatform box({});
    CRunLog log;
    EXPECT_FALSE(CheckOdbcEnvironment(PlatformOdbcInstaller(), box, log));
    EXPECT_EQ(box.m_strTrace,
              ");box(" + LoadString(IDS_ODBC_NOT_INSTALLED) + "," + std::to_string(MB_ICONSTOP));
    EXPECT_EQ(log.Text(), "ODBC is not installed, exiting...\n");

    CDatabase database;
    try {
        database.OpenEx("DSN=zlmrt_conv");
        FAIL() << "connected without a driver manager";
    } catch (const CDBException& e) {
        EXPECT_EQ(e.GetErrorMessage(),
                  "The ODBC driver manager is not installed or cannot be loaded.\n");
    }
}
