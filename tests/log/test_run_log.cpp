#include "log/RunLog.h"

#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "log/DenyWriteFile.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kEntry = "Processing \"/p/rnddat.dbf\".\r\n\tno such table\n\r\n";

class WriteLogFile : public ::testing::Test {
protected:
    void Write(const std::string& strText, const std::string& strName = "kestrix.log") {
        CRunLog log;
        log.AppendLog(strText);
        log.WriteLogFile(m_dir.File(strName));
    }
    std::string Read() { return ReadFile(m_dir.File("kestrix.log")); }
    CTempDir m_dir;
};

}  // namespace

TEST_F(WriteLogFile, OnlyTheLatestAttemptNeverEmptyAndNeverOverAHeldOrUnwritableLog) {
    Write("", "empty.log");
    EXPECT_FALSE(FileExists(m_dir.File("empty.log")));
    Write(kEntry + kEntry);
    Write(kEntry);
    EXPECT_EQ(Read(), kEntry);
    Write("");
    EXPECT_EQ(Read(), kEntry);
    // A held or unwritable log is left as it was.
    int fd = OpenDenyWrite(m_dir.File("kestrix.log"));
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "held", 4), 4);
    Write(kEntry);
    close(fd);
    EXPECT_EQ(Read(), "held");
    std::filesystem::create_directory(m_dir.File("folder.log"));
    Write(kEntry, "folder.log");
    EXPECT_TRUE(std::filesystem::is_empty(m_dir.File("folder.log")));
    // A link is never written through, whatever it points at (where links can be made).
    WriteFile(m_dir.File("elsewhere.txt"), "keep");
    std::error_code ec;
    std::filesystem::create_symlink(m_dir.File("elsewhere.txt"), m_dir.File("link.log"), ec);
    Write(kEntry, "link.log");
    EXPECT_EQ(ReadFile(m_dir.File("elsewhere.txt")), "keep");
}
