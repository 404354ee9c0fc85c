// File errors: their descriptions, the errno mapping, and the output stream.
#include <gtest/gtest.h>

#include <cerrno>

#include "convert/FileError.h"
#include "tests/support/TempDir.h"

namespace {

std::string Describe(CFileException::ECause cause) {
    return CFileException(cause, "D:\\Out\\TrvBrill.txt").GetErrorMessage();
}

}  // namespace

TEST(FileErrorText, EveryCauseHasItsDescriptionWithThePath) {
    using E = CFileException;
    EXPECT_EQ(Describe(E::none), "No error occurred.");
    EXPECT_EQ(Describe(E::genericException),
              "An unknown error occurred while accessing D:\\Out\\TrvBrill.txt.");
    EXPECT_EQ(Describe(E::fileNotFound), "D:\\Out\\TrvBrill.txt was not found.");
    EXPECT_EQ(Describe(E::badPath), "D:\\Out\\TrvBrill.txt contains an invalid path.");
    EXPECT_EQ(Describe(E::tooManyOpenFiles),
              "D:\\Out\\TrvBrill.txt could not be opened because there are too many open "
              "files.");
    EXPECT_EQ(Describe(E::accessDenied), "Access to D:\\Out\\TrvBrill.txt was denied.");
    EXPECT_EQ(Describe(E::invalidFile),
              "An invalid file handle was associated with D:\\Out\\TrvBrill.txt.");
    EXPECT_EQ(Describe(E::removeCurrentDir),
              "D:\\Out\\TrvBrill.txt could not be removed because it is the current "
              "directory.");
    EXPECT_EQ(Describe(E::directoryFull),
              "D:\\Out\\TrvBrill.txt could not be created because the directory is full.");
    EXPECT_EQ(Describe(E::badSeek), "Seek failed on D:\\Out\\TrvBrill.txt");
    EXPECT_EQ(Describe(E::hardIO),
              "A hardware I/O error was reported while accessing D:\\Out\\TrvBrill.txt.");
    EXPECT_EQ(Describe(E::sharingViolation),
              "A sharing violation occurred while accessing D:\\Out\\TrvBrill.txt.");
    EXPECT_EQ(Describe(E::lockViolation),
              "A locking violation occurred while accessing D:\\Out\\TrvBrill.txt.");
    EXPECT_EQ(Describe(E::diskFull), "Disk full while accessing D:\\Out\\TrvBrill.txt.");
    EXPECT_EQ(Describe(E::endOfFile),
              "An attempt was made to access D:\\Out\\TrvBrill.txt past its end.");
}

TEST(FileErrorText, APercentOneInsideTheFileNameIsNotReplacedAgain) {
    EXPECT_EQ(CFileException(CFileException::fileNotFound, "a%1b").GetErrorMessage(),
              "a%1b was not found.");
}

TEST(FileErrorText, ErrnoValuesMapOntoTheirCauses) {
    using E = CFileException;
    EXPECT_EQ(E::OsErrorToCause(0), E::none);
    EXPECT_EQ(E::OsErrorToCause(ENOENT), E::fileNotFound);
    EXPECT_EQ(E::OsErrorToCause(ENOTDIR), E::badPath);
    EXPECT_EQ(E::OsErrorToCause(EMFILE), E::tooManyOpenFiles);
    EXPECT_EQ(E::OsErrorToCause(EACCES), E::accessDenied);
    EXPECT_EQ(E::OsErrorToCause(EROFS), E::accessDenied);
    EXPECT_EQ(E::OsErrorToCause(EWOULDBLOCK), E::sharingViolation);
    EXPECT_EQ(E::OsErrorToCause(ENOLCK), E::lockViolation);
    EXPECT_EQ(E::OsErrorToCause(ENOSPC), E::diskFull);
    EXPECT_EQ(E::OsErrorToCause(EIO), E::hardIO);
    EXPECT_EQ(E::OsErrorToCause(EPIPE), E::genericException);
}

TEST(OutputFile, StoresEveryLineFeedAsCrLf) {
    CTempDir dir;
    COutputFile file;
    file.Open(dir.File("a.txt"));
    file.Write("one\n\ntwo\n");
    file.Write("three");
    file.Close();
    EXPECT_EQ(ReadFile(dir.File("a.txt")), "one\r\n\r\ntwo\r\nthree");
}

TEST(OutputFile, TruncatesAnExistingFile) {
    CTempDir dir;
    WriteFile(dir.File("a.txt"), "a much longer old content");
    COutputFile file;
    file.Open(dir.File("a.txt"));
    file.Write("new\n");
    file.Close();
    EXPECT_EQ(ReadFile(dir.File("a.txt")), "new\r\n");
}

TEST(OutputFile, OpenFailuresCarryTheirCauseAndPath) {
    CTempDir dir;
    COutputFile file;
    const std::string strPath = dir.File("no-such-folder/TrvBrill.txt");
    try {
        file.Open(strPath);
        FAIL() << "opened a file in a missing folder";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.GetErrorMessage(), strPath + " was not found.");
    }
    EXPECT_FALSE(file.IsOpen());
}

TEST(OutputFile, ASecondWriterIsRefusedAndTruncatesNothing) {
    CTempDir dir;
    COutputFile first, second;
    first.Open(dir.File("a.txt"));
    first.Write("kept\n");
    try {
        second.Open(dir.File("a.txt"));
        FAIL() << "two writers at once";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::sharingViolation);
    }
    first.Close();
    EXPECT_EQ(ReadFile(dir.File("a.txt")), "kept\r\n");
}

TEST(OutputFile, AnyWriteFailureIsDiskFull) {
    COutputFile file;
    file.Open("/dev/full");
    try {
        file.Write("x\n");
        FAIL() << "wrote to /dev/full";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.GetErrorMessage(), "Disk full while accessing /dev/full.");
    }
    COutputFile closed;
    EXPECT_THROW(closed.Write("x"), CFileException);
}
