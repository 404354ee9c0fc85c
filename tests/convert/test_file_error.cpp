// File errors: the descriptions the user reads, from errno, and the output stream.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "convert/FileError.h"
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
