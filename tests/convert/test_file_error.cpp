// File errors: the descriptions the user reads, from errno, and the output stream.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "convert/OutputFile.h"
#include "convert/SafeFile.h"
#include "tests/convert/PriceTableFixture.h"

TEST(FileErrorText, CommonErrnoValuesGiveTheirDescriptionsWithThePath) {
    const std::pair<int, const char*> cases[] = {
        {ENOENT, "D:\\Out\\TrvBrill.txt was not found."},
        {EACCES, "Access to D:\\Out\\TrvBrill.txt was denied."},
        {ENOSPC, "Disk full while accessing D:\\Out\\TrvBrill.txt."},
        {EPIPE, "An unknown error occurred while accessing D:\\Out\\TrvBrill.txt."}};
    for (auto [nErrno, pszText] : cases) {
        CFileException e(CFileException::OsErrorToCause(nErrno), "D:\\Out\\TrvBrill.txt");
        EXPECT_EQ(e.GetErrorMessage(), pszText) << "errno " << nErrno;
    }
    // The path replaces %1 once; a %1 inside the path stays as it is.
    EXPECT_EQ(CFileException(CFileException::fileNotFound, "a%1b").GetErrorMessage(),
              "a%1b was not found.");
}

// The new text reaches the path whole at Close, never before; a file dropped unclosed
// leaves the path as it was and nothing beside it.
TEST(OutputFile, ReplacesThePathOnlyWhenClosedStoringLineFeedsAsCrLf) {
    CTempDir dir;
    WriteFile(dir.File("a.txt"), "a much longer old content");
    {
        COutputFile dropped;
        dropped.Open(dir.File("a.txt"));
        dropped.Write("half");
    }
    COutputFile file;
    file.Open(dir.File("a.txt"));
    file.Write("one\n\ntwo\n");
    file.Write("three");
    EXPECT_EQ(ReadFile(dir.File("a.txt")), "a much longer old content");
    file.Close();
    EXPECT_EQ(ReadFile(dir.File("a.txt")), "one\r\n\r\ntwo\r\nthree");
    auto entries = std::filesystem::directory_iterator(dir.Path());
    EXPECT_EQ(std::distance(begin(entries), end(entries)), 1);
}

// The file operations never take over a name that holds something already, and never
// take a failed read for the end of the file.
TEST(SafeFile, NoExistingNameIsReusedOrReplacedAndAReadErrorIsAFailure) {
    CTempDir dir;
    // Whatever sits at the name the temporary file would take is left alone.
    const std::string strTarget = dir.File("TrvBrill.txt");
    const std::string strSquatter = strTarget + ".tmp" + std::to_string(getpid()) + "-0";
    WriteFile(strSquatter, "not ours");
    COutputFile file;
    file.Open(strTarget);
    file.Write("new");
    file.Close();
    EXPECT_EQ(ReadFile(strSquatter), "not ours");
    EXPECT_EQ(ReadFile(strTarget), "new");

    WriteFile(dir.File("TrvBrill1.bak"), "older backup");
    EXPECT_FALSE(MoveToFreeName(strTarget, dir.File("TrvBrill1.bak")));
    EXPECT_EQ(ReadFile(dir.File("TrvBrill1.bak")), "older backup");
    EXPECT_EQ(ReadFile(strTarget), "new");

    // A plain file whose first read fails (EIO): no copy, and the target untouched.
    WriteFile(dir.File("TrvBrill.bak"), "old backup");
    EXPECT_FALSE(CopyReplacing("/proc/self/mem", dir.File("TrvBrill.bak")));
    EXPECT_EQ(ReadFile(dir.File("TrvBrill.bak")), "old backup");
}
