// The table reader on real files written with shapelib, and on copies damaged on
// purpose: every damage must give a message naming the file, never a crash.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "driver/DbfTable.h"
#include "tests/support/DbfWriter.h"
#include "tests/support/TempDir.h"

using kdbf::DbfError;
using kdbf::DbfTable;

namespace {

class DbfTableTest : public ::testing::Test {
protected:
    std::string WriteTable(int records) {
        std::string path = dir_.File("rnddat.dbf");
        EXPECT_TRUE(WritePriceTable(path, records));
        return path;
    }

    // Overwrites the little-endian 16-bit value at `offset`.
    static void PatchWord(std::string& bytes, std::size_t offset, unsigned value) {
        bytes[offset] = static_cast<char>(value & 0xFF);
        bytes[offset + 1] = static_cast<char>(value >> 8);
    }

    // Writes `bytes` as a table file and returns the error Open reports ("" if none).
    std::string OpenError(const std::string& bytes) {
        std::string path = dir_.File("damaged.dbf");
        WriteFile(path, bytes);
        try {
            DbfTable::Open(path);
        } catch (const DbfError& e) {
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
            return e.what();
        }
        return "";
    }

    CTempDir dir_;
};

TEST_F(DbfTableTest, ReadsFieldsAndValuesOfAShapelibTable) {
    auto table = DbfTable::Open(WriteTable(3));
    ASSERT_EQ(table->Fields().size(), 11u);
    EXPECT_EQ(table->Fields()[10].name, "FB");
    EXPECT_EQ(table->Fields()[0].type, 'N');
    EXPECT_EQ(table->RecordCount(), 3u);
    EXPECT_EQ(table->FindField("fa"), 9);
    EXPECT_EQ(table->FindField("F12"), -1);
    table->Load(2);
    EXPECT_FALSE(table->IsDeleted());
    EXPECT_DOUBLE_EQ(std::stod(kdbf::TrimFieldText(table->RawText(3), 'N')), PriceValue(3, 4));
}

TEST_F(DbfTableTest, SeesDeletionMarksAndRefusesRecordsPastTheEnd) {
    std::string path = WriteTable(3);
    ASSERT_TRUE(MarkDeleted(path, 1));
    auto table = DbfTable::Open(path);
    table->Load(1);
    EXPECT_TRUE(table->IsDeleted());
    table->Load(0);
    EXPECT_FALSE(table->IsDeleted());
    EXPECT_THROW(table->Load(3), DbfError);
}

TEST_F(DbfTableTest, TrimsCharacterFieldsOnTheRightOnlyAndOthersOnBothSides) {
    EXPECT_EQ(kdbf::TrimFieldText("  ab  ", 'C'), "  ab");
    EXPECT_EQ(kdbf::TrimFieldText("   12.500", 'N'), "12.500");
    EXPECT_EQ(kdbf::TrimFieldText("        ", 'N'), "");
    EXPECT_EQ(kdbf::TrimFieldText(std::string("ab\0\0", 4), 'C'), "ab");
}

TEST_F(DbfTableTest, DamagedHeadersAreRefusedWithTheirReason) {
    const std::string good = ReadFile(WriteTable(4));
    ASSERT_EQ(OpenError(good), "");

    EXPECT_NE(OpenError("").find("too short"), std::string::npos);
    EXPECT_NE(OpenError(good.substr(0, 20)).find("too short"), std::string::npos);

    std::string bad = good;
    bad[0] = 0x7F;
    EXPECT_NE(OpenError(bad).find("version"), std::string::npos);

    bad = good;
    PatchWord(bad, 8, 40);  // header length shorter than one descriptor
    EXPECT_NE(OpenError(bad).find("header length"), std::string::npos);

    bad = good;
    PatchWord(bad, 8, 0xFFFF);  // header length past the end of the file
    EXPECT_NE(OpenError(bad), "");

    bad = good;
    PatchWord(bad, 10, 100);
    EXPECT_NE(OpenError(bad).find("record length 100"), std::string::npos);

    bad = good;
    bad[32 + 32 * 2 + 16] = 0;  // third field of width 0
    EXPECT_NE(OpenError(bad).find("descriptor 3"), std::string::npos);

    bad = good;
    bad[32 + 32 * 11] = 'X';  // terminator overwritten
    EXPECT_NE(OpenError(bad).find("not terminated"), std::string::npos);
}

TEST_F(DbfTableTest, RecordsCutOffAtTheEndAreRefusedAtOpen) {
    const std::string good = ReadFile(WriteTable(4));
    const std::size_t header =
        static_cast<unsigned char>(good[8]) | static_cast<unsigned char>(good[9]) << 8;
    // Cut into the last record: the header promises more than the file holds.
    EXPECT_NE(OpenError(good.substr(0, header + 3 * 133 + 10)).find("4 records need"),
              std::string::npos);
    // A record count far beyond the file, as a damaged count byte would give.
    std::string bad = good;
    bad[7] = 0x10;
    EXPECT_NE(OpenError(bad).find("records need"), std::string::npos);
}

TEST_F(DbfTableTest, AFileShortenedAfterOpeningFailsAtTheRecordWhereItBreaks) {
    std::string path = WriteTable(4);
    auto table = DbfTable::Open(path);
    ASSERT_EQ(truncate(path.c_str(), 200), 0);
    try {
        table->Load(3);
        FAIL() << "no error";
    } catch (const DbfError& e) {
        EXPECT_NE(std::string(e.what()).find("record 4"), std::string::npos) << e.what();
    }
}

TEST_F(DbfTableTest, FoldersAndMissingFilesAreNotTables) {
    EXPECT_THROW(DbfTable::Open(dir_.Path()), DbfError);
    EXPECT_THROW(DbfTable::Open(dir_.File("missing.dbf")), DbfError);
}

}  // namespace
