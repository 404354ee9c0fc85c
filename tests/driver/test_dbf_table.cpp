// The table reader on real files written with shapelib, and on copies damaged on
// purpose: every damage gives a message naming the file, never a crash.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "driver/DbfTable.h"
#include "tests/support/DbfWriter.h"
#include "tests/support/TempDir.h"

using kdbf::DbfTable;

namespace {

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const kdbf::DbfError& e) {
        return e.what();
    }
    return "";
}

TEST(DbfTableTest, ReadsRecordsUntilTheFileBreaksAndTrimsText) {
    CTempDir dir;
    const std::string strPath = dir.File("rnddat.dbf");
    ASSERT_TRUE(WritePriceTable(strPath, 4));
    auto table = DbfTable::Open(strPath);
    EXPECT_EQ(table->FindField("fa"), 9);
    table->Load(2);
    EXPECT_DOUBLE_EQ(std::stod(kdbf::TrimFieldText(table->RawText(3), 'N')), PriceValue(3, 4));
    EXPECT_NE(ErrorOf([&] { table->Load(4); }).find("Record 5 of"), std::string::npos);
    ASSERT_EQ(truncate(strPath.c_str(), 200), 0);  // shortened after opening
    EXPECT_NE(ErrorOf([&] { table->Load(3); }).find("record 4"), std::string::npos);
    EXPECT_EQ(ErrorOf([&] { DbfTable::Open(dir.Path()); }),
              "File '" + dir.Path() + "' is not a readable dBase table: not a regular file");
    // A pipe named like a table must be refused, not wait for a writer forever.
    ASSERT_EQ(mkfifo(dir.File("pipe.dbf").c_str(), 0600), 0);
    EXPECT_NE(ErrorOf([&] { DbfTable::Open(dir.File("pipe.dbf")); }).find("not a regular file"),
              std::string::npos);
    EXPECT_EQ(kdbf::TrimFieldText("  ab  ", 'C'), "  ab");
    EXPECT_EQ(kdbf::TrimFieldText(std::string("ab\0\0", 4), 'C'), "ab");
    EXPECT_EQ(kdbf::TrimFieldText("   12.500 ", 'N'), "12.500");
}

TEST(DbfTableTest, DamagedFilesAreRefusedAtOpenNamingFileAndReason) {
    CTempDir dir;
    const std::string strPath = dir.File("rnddat.dbf");
    ASSERT_TRUE(WritePriceTable(strPath, 4));
    const std::string good = ReadFile(strPath);
    auto patched = [&](std::size_t offset, const std::string& bytes) {
        return std::string(good).replace(offset, bytes.size(), bytes);
    };
    const std::pair<std::string, std::string> cases[] = {
        {"", "too short"},
        {good.substr(0, 20), "too short"},
        {patched(0, "\x7F"), "version"},
        {patched(8, std::string("\x28\0", 2)), "header length"},  // shorter than a descriptor
        {patched(8, "\xFF\xFF"), "the header is cut off"},
        {patched(10, std::string("\x64\0", 2)), "record length 100"},
        {patched(32 + 32 * 2 + 16, std::string(1, '\0')), "descriptor 3"},  // width 0
        {patched(32 + 32 * 11, "X"), "not terminated"},
        {patched(7, "\x10"), "records need"},  // a count far beyond the file
    };
    for (const auto& [bytes, strReason] : cases) {
        WriteFile(strPath, bytes);
        const std::string strError = ErrorOf([&] { DbfTable::Open(strPath); });
        EXPECT_NE(strError.find("File '" + strPath + "' is not a readable dBase table: "),
                  std::string::npos);
        EXPECT_NE(strError.find(strReason), std::string::npos) << strError;
    }
}

}  // namespace
