#include "log/RunLog.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "log/DenyWriteFile.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kEntry =
    "---------------\r\nProcessing Brilliant cut data from \"/p/rnddat.dbf\" file.\r\n"
    "Cannot open DBase table, error description follows:\r\n\tno such table\n\r\n";

}  // namespace

TEST(WriteLogFile, WritesTheLogByteForByteAndOnlyTheLatestAttempt) {
    CTempDir dir;
    CRunLog log;
    log.AppendLog(kEntry + kEntry);
    log.WriteLogFile(dir.File("kestrix.log"));
    log.Clear();
    log.AppendLog(kEntry);
    log.WriteLogFile(dir.File("kestrix.log"));
    EXPECT_EQ(ReadFile(dir.File("kestrix.log")), kEntry);
}

TEST(WriteLogFile, EmptyLogNeverCreatesOrTouchesTheFile) {
    CTempDir dir;
    CRunLog log;
    log.WriteLogFile(dir.File("kestrix.log"));
    EXPECT_FALSE(FileExists(dir.File("kestrix.log")));
    WriteFile(dir.File("kestrix.log"), "earlier run");
    log.WriteLogFile(dir.File("kestrix.log"));
    EXPECT_EQ(ReadFile(dir.File("kestrix.log")), "earlier run");
}

TEST(WriteLogFile, FileHeldByAnotherWriterKeepsItsContent) {
    CTempDir dir;
    WriteFile(dir.File("kestrix.log"), "held");
    int fd = OpenDenyWrite(dir.File("kestrix.log"));
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "held", 4), 4);
    CRunLog log;
    log.AppendLog(kEntry);
    log.WriteLogFile(dir.File("kestrix.log"));  // silently skipped
    close(fd);
    EXPECT_EQ(ReadFile(dir.File("kestrix.log")), "held");
    EXPECT_EQ(log.Text(), kEntry);
}

TEST(WriteLogFile, UnwritablePlacesAreSkippedSilently) {
    CTempDir dir;
    std::filesystem::create_directory(dir.File("kestrix.log"));
    CRunLog log;
    log.AppendLog(kEntry);
    log.WriteLogFile(dir.File("kestrix.log"));
    log.WriteLogFile(dir.File("missing/kestrix.log"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("kestrix.log")));
    EXPECT_FALSE(FileExists(dir.File("missing/kestrix.log")));
}

TEST(WriteLogFile, ReadOnlyFileKeepsItsContent) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes read-only files; see the held-file case";
    CTempDir dir;
    WriteFile(dir.File("kestrix.log"), "old");
    chmod(dir.File("kestrix.log").c_str(), 0444);
    CRunLog log;
    log.AppendLog(kEntry);
    log.WriteLogFile(dir.File("kestrix.log"));
    EXPECT_EQ(ReadFile(dir.File("kestrix.log")), "old");
}

TEST(LogFilePath, IsBesideTheExecutableWhateverTheCurrentFolder) {
    CTempDir dir;
    ASSERT_EQ(chdir(dir.Path().c_str()), 0);
    std::string strExe = ExecutablePath();
    ASSERT_FALSE(strExe.empty());
    EXPECT_EQ(LogFilePath(),
              std::filesystem::path(strExe).parent_path().string() + "/kestrix.log");
    EXPECT_EQ(chdir("/"), 0);
}
