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

TEST(DriverSetupConcurrency, AnUnchangedDataSourceIsLeftUntouched) {
    COdbcSandbox sandbox;
    const std::string strIni = sandbox.Dir() + "/user-odbc.ini";
    WriteFile(strIni, "; the user's own notes\n[other]\nDriver = x\n");
    ASSERT_TRUE(sandbox.RegisterDataSource()) << sandbox.InstallerError();
    const std::string strFirst = ReadFile(strIni);
    EXPECT_EQ(strFirst.rfind("; the user's own notes\n", 0), 0u) << strFirst;
    const struct stat before = StatOf(strIni);
    usleep(20000);  // a rewrite would show in the change time
    ASSERT_TRUE(sandbox.RegisterDataSource()) << sandbox.InstallerError();
    const struct stat after = StatOf(strIni);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_ctim.tv_nsec, before.st_ctim.tv_nsec);
    EXPECT_EQ(ReadFile(strIni), strFirst);
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
