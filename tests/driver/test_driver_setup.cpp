// Registering the data source through the installer, which calls our ConfigDSN.
#include <gtest/gtest.h>

#include <odbcinst.h>

#include "tests/support/OdbcSandbox.h"
#include "tests/support/TempDir.h"

namespace {

TEST(DriverSetupTest, RegistrationCreatesAndThenReplacesTheUserDataSource) {
    COdbcSandbox sandbox;
    ASSERT_TRUE(sandbox.RegisterDataSource()) << sandbox.InstallerError();
    ASSERT_TRUE(sandbox.RegisterDataSource()) << sandbox.InstallerError();  // every start
    const std::string strIni = ReadFile(sandbox.Dir() + "/user-odbc.ini");
    EXPECT_EQ(strIni.find("[zlmrt_conv]"), strIni.rfind("[zlmrt_conv]"));
    EXPECT_NE(strIni.find("Driver=Microsoft dBase Driver (*.dbf)"), std::string::npos) << strIni;
    EXPECT_NE(strIni.find("Description=dBase tables for kestrix program"), std::string::npos);
    EXPECT_NE(strIni.find("FIL=dBase III"), std::string::npos);
}

TEST(DriverSetupTest, ChangingAndRemovingWorkOnExistingDataSourcesOnly) {
    COdbcSandbox sandbox;
    EXPECT_FALSE(
        SQLConfigDataSource(nullptr, ODBC_CONFIG_DSN, kDriverDescription, "DSN=zlmrt_conv\0\0"));
    EXPECT_EQ(sandbox.InstallerError(), "9: Data source 'zlmrt_conv' does not exist");
    ASSERT_TRUE(sandbox.RegisterDataSource());
    EXPECT_TRUE(SQLConfigDataSource(nullptr, ODBC_CONFIG_DSN, kDriverDescription,
                                    "DSN=zlmrt_conv\0DEFAULTDIR=/srv/prices/\0\0"));
    EXPECT_NE(ReadFile(sandbox.Dir() + "/user-odbc.ini").find("DEFAULTDIR=/srv/prices/"),
              std::string::npos);
    EXPECT_TRUE(
        SQLConfigDataSource(nullptr, ODBC_REMOVE_DSN, kDriverDescription, "DSN=zlmrt_conv\0\0"));
    EXPECT_EQ(ReadFile(sandbox.Dir() + "/user-odbc.ini").find("zlmrt_conv"), std::string::npos);
}

TEST(DriverSetupTest, MalformedAttributeListsAreRefusedSayingWhy) {
    COdbcSandbox sandbox;
    EXPECT_FALSE(
        SQLConfigDataSource(nullptr, ODBC_ADD_DSN, kDriverDescription, "Description=x\0\0"));
    EXPECT_EQ(sandbox.InstallerError(), "8: No data source name (DSN=) given");
    EXPECT_FALSE(SQLConfigDataSource(nullptr, ODBC_ADD_DSN, kDriverDescription, "DSN=a\0oops\0\0"));
    EXPECT_EQ(sandbox.InstallerError(), "8: Attribute 'oops' is not of the form KEY=value");
}

TEST(DriverSetupTest, WithoutTheDriverRegisteredTheRequestFailsAndTheInstallerSaysWhy) {
    COdbcSandbox sandbox(false);
    EXPECT_FALSE(sandbox.RegisterDataSource());
    // unixODBC fails before any driver code runs, with its general error and no text
    // of its own: the program's start-up check turns code 1 into its message 119.
    EXPECT_EQ(sandbox.InstallerError(), "1: General installer error");
}

}  // namespace
