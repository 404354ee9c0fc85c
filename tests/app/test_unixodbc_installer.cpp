// The environment check bound to the real unixODBC installer, in a sandbox without our
// driver, so that every registration fails the way it does on a machine without it.
#include <gtest/gtest.h>

#include "app/OdbcEnvironment.h"
#include "convert/OdbcLibrary.h"
#include "log/RunLog.h"
#include "res/MessageBox.h"
#include "res/Strings.h"
#include "tests/support/OdbcSandbox.h"

using namespace std::string_literals;

namespace {

struct CBox : IMessageBox {
    int MessageBox(const std::string& strText, unsigned) override {
        m_strText = strText;
        return IDOK;
    }
    std::string m_strText;
};

}  // namespace

// The installer is there and fails, the driver manager is not: its absence is what the
// user is told, not the installer's error.
TEST(UnixOdbcInstaller, WithoutTheDriverManagerItsAbsenceIsReported) {
    COdbcSandbox sandbox(false);
    SetOdbcLibraryFiles("kestrix-absent-odbc", "libodbcinst.so.2");
    CBox box;
    CRunLog log;
    EXPECT_FALSE(CheckOdbcEnvironment(PlatformOdbcInstaller(), box, log));
    EXPECT_EQ(box.m_strText, LoadString(IDS_ODBC_NOT_INSTALLED));
}

// An error text cut to the caller's buffer comes with SQL_SUCCESS_WITH_INFO, and still
// with its code and the part that fits.
TEST(UnixOdbcInstaller, ATruncatedErrorKeepsItsCodeAndText) {
    COdbcSandbox sandbox(false);
    IOdbcInstaller& installer = PlatformOdbcInstaller();
    ASSERT_FALSE(installer.ConfigDataSource(1, kDriverDescription, "DSN=x\0\0"s));
    uint32_t nCode = 0;
    std::string strMessage;
    EXPECT_EQ(installer.InstallerError(1, nCode, strMessage, 5), 1);
    std::string strFull = sandbox.InstallerError();  // "<code>: <message>"
    std::string strCode = std::to_string(nCode) + ": ";
    ASSERT_EQ(strFull.compare(0, strCode.size(), strCode), 0) << strFull;
    EXPECT_FALSE(strMessage.empty());
    EXPECT_EQ(strFull.compare(strCode.size(), strMessage.size(), strMessage), 0) << strFull;
}
