#include "app/OdbcEnvironment.h"

#include <gtest/gtest.h>

#include "log/RunLog.h"
#include "res/MessageBox.h"
#include "res/Strings.h"
#include "tests/support/OdbcSandbox.h"

namespace {

struct SShown {
    std::string strText;
    unsigned nType;
};

class CRecordingBox : public IMessageBox {
public:
    int MessageBox(const std::string& strText, unsigned nType) override {
        m_shown.push_back({strText, nType});
        return IDOK;
    }
    std::vector<SShown> m_shown;
};

class CFakeInstaller : public IOdbcInstaller {
public:
    bool DriverManagerPresent() override {
        m_strCalls += "present;";
        return m_bPresent;
    }
    bool ConfigDataSource(int nRequest, const std::string& strDriver,
                          const std::string& strAttributes) override {
        m_strCalls += "config;";
        m_nRequest = nRequest;
        m_strDriver = strDriver;
        m_strAttributes = strAttributes;
        return m_bRegisters;
    }
    int InstallerError(int nRecord, uint32_t& nCode, std::string& strMessage,
                       int nBufferSize) override {
        m_strCalls += "error(" + std::to_string(nRecord) + "," + std::to_string(nBufferSize) + ");";
        if (m_nStatus == 0 || m_nStatus == 1) {
            nCode = m_nCode;
            strMessage = "Component not found";
        }
        return m_nStatus;
    }

    bool m_bPresent = true, m_bRegisters = false;
    int m_nStatus = 0;
    uint32_t m_nCode = 0;
    std::string m_strCalls, m_strDriver, m_strAttributes;
    int m_nRequest = 0;
};

class OdbcCheck : public ::testing::Test {
protected:
    bool Check() { return CheckOdbcEnvironment(m_installer, m_box, m_log); }
    CFakeInstaller m_installer;
    CRecordingBox m_box;
    CRunLog m_log;
};

}  // namespace

TEST_F(OdbcCheck, SuccessfulRegistrationShowsAndLogsNothingEvenWithoutDriverManager) {
    m_installer.m_bRegisters = true;
    m_installer.m_bPresent = false;
    EXPECT_TRUE(Check());
    EXPECT_EQ(m_installer.m_strCalls, "present;config;");
    EXPECT_EQ(m_installer.m_nRequest, 1);
    EXPECT_EQ(m_installer.m_strDriver, "Microsoft dBase Driver (*.dbf)");
    EXPECT_EQ(m_installer.m_strAttributes,
              std::string("DSN=zlmrt_conv\0Description=dBase tables for kestrix program\0"
                          "FIL=dBase III\0\0", 75));
    EXPECT_TRUE(m_box.m_shown.empty());
    EXPECT_EQ(m_log.Text(), "");
}

TEST_F(OdbcCheck, NoDriverManagerGives118WithoutAskingTheInstaller) {
    m_installer.m_bPresent = false;
    EXPECT_FALSE(Check());
    EXPECT_EQ(m_installer.m_strCalls, "present;config;");
    ASSERT_EQ(m_box.m_shown.size(), 1u);
    EXPECT_EQ(m_box.m_shown[0].strText, LoadString(IDS_ODBC_NOT_INSTALLED));
    EXPECT_EQ(m_box.m_shown[0].nType, unsigned{MB_OK | MB_ICONSTOP});
    EXPECT_EQ(m_log.Text(), "ODBC is not installed, exiting...\n");
}

TEST_F(OdbcCheck, NoInstallerErrorGives119AndTheEntryWithoutCode) {
    m_installer.m_nStatus = 100;  // SQL_NO_DATA
    EXPECT_FALSE(Check());
    EXPECT_EQ(m_installer.m_strCalls, "present;config;error(1,510);");
    EXPECT_EQ(m_log.Text(), "Error initializing ODBC, cannot determine the reason. Exiting...\r\n");
    ASSERT_EQ(m_box.m_shown.size(), 1u);
    EXPECT_EQ(m_box.m_shown[0].strText, LoadString(IDS_ODBC_PROBLEM));
    EXPECT_EQ(m_box.m_shown[0].nType, unsigned{MB_OK | MB_ICONSTOP});
}

TEST_F(OdbcCheck, ErrorCodeChoosesTheMessageAndIsLogged) {
    const std::pair<uint32_t, int> cases[] = {
        {1, IDS_ODBC_PROBLEM},         {5, IDS_ODBC_PROBLEM},  {6, IDS_ODBC_DRIVER_MISSING},
        {7, IDS_ODBC_DRIVER_MISSING},  {8, IDS_ODBC_PROBLEM},  {12, IDS_ODBC_PROBLEM},
        {13, IDS_ODBC_LOAD_FAILED},    {14, IDS_ODBC_PROBLEM}, {23, IDS_ODBC_PROBLEM}};
    for (auto [nCode, nMessage] : cases) {
        CFakeInstaller installer;
        installer.m_nCode = nCode;
        installer.m_nStatus = nCode % 2;  // with and without info
        CRecordingBox box;
        CRunLog log;
        EXPECT_FALSE(CheckOdbcEnvironment(installer, box, log));
        EXPECT_EQ(log.Text(), "Error initializing ODBC, error code " + std::to_string(nCode) +
                                  ", description follows:\r\n\tComponent not found\r\n");
        ASSERT_EQ(box.m_shown.size(), 1u);
        EXPECT_EQ(box.m_shown[0].strText, LoadString(nMessage)) << "code " << nCode;
    }
}

// Through unixODBC itself, with our driver registered in a sandbox, twice as two starts do.
TEST(PlatformOdbcInstaller, RegistersTheDataSourceAtEveryStart) {
    COdbcSandbox sandbox;
    CRecordingBox box;
    CRunLog log;
    EXPECT_TRUE(PlatformOdbcInstaller().DriverManagerPresent());
    EXPECT_TRUE(CheckOdbcEnvironment(PlatformOdbcInstaller(), box, log)) << log.Text();
    EXPECT_TRUE(CheckOdbcEnvironment(PlatformOdbcInstaller(), box, log)) << log.Text();
    EXPECT_NE(ReadFile(sandbox.Dir() + "/user-odbc.ini").find("[zlmrt_conv]"), std::string::npos);
    EXPECT_TRUE(box.m_shown.empty());
}

TEST(PlatformOdbcInstaller, UnregisteredDriverFailsWithTheInstallersReason) {
    COdbcSandbox sandbox(false);
    CRecordingBox box;
    CRunLog log;
    EXPECT_FALSE(CheckOdbcEnvironment(PlatformOdbcInstaller(), box, log));
    ASSERT_EQ(box.m_shown.size(), 1u);
    EXPECT_EQ(log.Text().rfind("Error initializing ODBC, error code ", 0), 0u) << log.Text();
    EXPECT_EQ(log.Text().substr(log.Text().size() - 2), "\r\n");
}
