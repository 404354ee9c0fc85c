// The data source registration that every start of the program sends, while other
// programs may be connecting through the same odbc.ini.
#include <odbcinst.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/driver/OdbcClient.h"
#include "tests/support/OdbcSandbox.h"

namespace {

struct stat StatOf(const std::string& strPath) {
    struct stat st {};
    stat(strPath.c_str(), &st);
    return st;
}

// A changed data source replaces its section, found in any letter case as unixODBC finds
// it, and keeps the user's other lines and the file's mode; an unchanged one leaves the
// file as it is.
TEST(DriverSetupTest, RegistrationCreatesReplacesChangesAndRemovesTheDataSourceSayingWhyNot) {
    COdbcSandbox sandbox;
    const std::tuple<WORD, const char*, std::string> refused[] = {
        {ODBC_CONFIG_DSN, "DSN=zlmrt_conv\0", "9: Data source 'zlmrt_conv' does not exist"},
        {ODBC_ADD_DSN, "Description=x\0", "8: No data source name (DSN=) given"},
        {ODBC_ADD_DSN, "DSN=a\0oops\0", "8: Attribute 'oops' is not of the form KEY=value"},
    };
    for (const auto& [nRequest, pszAttributes, strError] : refused) {
        EXPECT_FALSE(SQLConfigDataSource(nullptr, nRequest, kDriverDescription, pszAttributes));
        EXPECT_EQ(sandbox.InstallerError(), strError);
    }
    const std::string strIni = sandbox.Dir() + "/user-odbc.ini";
    const std::string strNotes = "; the user's own notes\n[other]\nDriver = x\n";
    WriteFile(strIni, strNotes + "[ZLMRT_CONV]\nFIL=dBase III\n");
    ASSERT_EQ(chmod(strIni.c_str(), 0640), 0);
    ASSERT_TRUE(sandbox.RegisterDataSource()) << sandbox.InstallerError();
    const std::string strFirst = ReadFile(strIni);
    EXPECT_EQ(strFirst, strNotes +
                            "[zlmrt_conv]\nDriver=Microsoft dBase Driver (*.dbf)\n"
                            "Description=dBase tables for kestrix program\nFIL=dBase III\n");
    const struct stat before = StatOf(strIni);
    EXPECT_EQ(before.st_mode & 07777, 0640u);
    usleep(20000);  // a rewrite would show in the change time
    ASSERT_TRUE(sandbox.RegisterDataSource()) << sandbox.InstallerError();
    EXPECT_EQ(StatOf(strIni).st_ino, before.st_ino);
    EXPECT_EQ(StatOf(strIni).st_ctim.tv_nsec, before.st_ctim.tv_nsec);
    EXPECT_TRUE(SQLConfigDataSource(nullptr, ODBC_ADD_DSN, kDriverDescription,
                                    "DSN=zlmrt_conv\0Description=changed\0"));
    EXPECT_NE(ReadFile(strIni).find("Description=changed\n"), std::string::npos);
    EXPECT_TRUE(SQLConfigDataSource(nullptr, ODBC_CONFIG_DSN, kDriverDescription,
                                    "DSN=zlmrt_conv\0DEFAULTDIR=/srv/prices/\0"));
    EXPECT_NE(ReadFile(strIni).find("DEFAULTDIR=/srv/prices/"), std::string::npos);
    EXPECT_TRUE(
        SQLConfigDataSource(nullptr, ODBC_REMOVE_DSN, kDriverDescription, "DSN=zlmrt_conv\0"));
    EXPECT_EQ(ReadFile(strIni).find("zlmrt_conv"), std::string::npos);
}

// One process registers over and over with alternating values, so that every request
// rewrites odbc.ini, while new processes connect one after another (each reads odbc.ini
// afresh, as every start of the program does): none may miss the data source.
TEST(DriverSetupConcurrency, RegisteringNeverHidesTheDataSourceFromAConnectingProgram) {
    COdbcSandbox sandbox;
    CTempDir tables;
    ASSERT_TRUE(sandbox.RegisterDataSource()) << sandbox.InstallerError();
    const pid_t child = fork();
    if (child == 0) {
        static const char szA[] = "DSN=zlmrt_conv\0Description=a\0FIL=dBase III\0";
        static const char szB[] = "DSN=zlmrt_conv\0Description=b\0FIL=dBase III\0";
        for (int i = 0; i < 400; ++i)
            if (!SQLConfigDataSource(nullptr, ODBC_ADD_DSN, kDriverDescription, i % 2 ? szA : szB))
                _exit(1);
        _exit(0);
    }
    int nConnects = 0, nFailures = 0, nStatus = 0;
    while (waitpid(child, &nStatus, WNOHANG) == 0) {
        const pid_t connecting = fork();
        if (connecting == 0) {
            COdbcClient client;
            _exit(client.ConnectTo(tables.Path()) ? 0 : 1);
        }
        int nConnectStatus = 0;
        waitpid(connecting, &nConnectStatus, 0);
        ++nConnects;
        nFailures += !WIFEXITED(nConnectStatus) || WEXITSTATUS(nConnectStatus) != 0;
    }
    EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0);
    EXPECT_EQ(nFailures, 0) << "of " << nConnects;
}

}  // namespace
