// The table reader on real files written with shapelib, on tables built byte by byte
// for the types shapelib cannot write, and on copies damaged on purpose: every damage
// gives a message naming the file, never a crash.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <functional>

#include "driver/base/Diagnostics.h"
#include "driver/base/Utf16.h"
#include "driver/dbf/CodePage.h"
#include "driver/dbf/DbfTable.h"
#include "driver/dbf/FieldValue.h"
#include "driver/dbf/MemoFile.h"
#include "driver/sql/ResultSet.h"
#include "driver/sql/SqlResult.h"
#include "tests/support/DbfWriter.h"
#include "tests/support/TempDir.h"

using kdbf::DbfTable;

namespace {

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

struct SField {
    const char* pszName;
    char cType;
    int nWidth;
    unsigned char nFlags = 0;
    int nDecimals = 0;
};

// A table image: header, descriptors, records (each given without its deletion flag
// unless it starts with '*'), the end-of-file mark.
std::string TableBytes(unsigned char nVersion, unsigned char nCodePage,
                       const std::vector<SField>& fields, const std::vector<std::string>& records) {
    int nRecordLength = 1;
    for (const SField& f : fields) nRecordLength += f.nWidth;
    const int nHeader = 32 + 32 * static_cast<int>(fields.size()) + 1;
    std::string bytes(32, '\0');
    bytes[0] = static_cast<char>(nVersion);
    bytes[4] = static_cast<char>(records.size());
    for (int i : {0, 1}) {
        bytes[8 + i] = static_cast<char>(nHeader >> 8 * i);
        bytes[10 + i] = static_cast<char>(nRecordLength >> 8 * i);
    }
    bytes[29] = static_cast<char>(nCodePage);
    for (const SField& f : fields) {
        std::string descriptor(32, '\0');
        std::memcpy(descriptor.data(), f.pszName, std::strlen(f.pszName));
        descriptor[11] = f.cType;
        descriptor[16] = static_cast<char>(f.nWidth);
        // A text's high width byte there, as FoxPro writes it.
        descriptor[17] = static_cast<char>(f.cType == 'C' ? f.nWidth >> 8 : f.nDecimals);
        descriptor[18] = static_cast<char>(f.nFlags);
        bytes += descriptor;
    }
    bytes += '\r';
    for (const std::string& record : records) {
        std::string full = record[0] == '*' ? record : " " + record;
        full.resize(static_cast<std::size_t>(nRecordLength), ' ');
        bytes += full;
    }
    return bytes + '\x1A';
}

// Every visible field of every record as FieldText gives it; "NULL" or "!error".
std::vector<std::string> Values(DbfTable& table) {
    std::vector<std::string> values;
    for (std::uint32_t r = 0; r < table.RecordCount(); ++r) {
        table.Load(r);
        for (std::size_t f = 0; f < table.Fields().size(); ++f) {
            std::string text;
            try {
                values.push_back(kdbf::FieldText(table, static_cast<int>(f), "X", &text) ? text
                                                                                         : "NULL");
            } catch (const kdbf::OdbcError& e) {
                values.push_back(std::string("!") + e.what());
            }
        }
    }
    return values;
}

template <class T>
std::string Bytes(T value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

TEST(DbfTableTest, ReadsRecordsUntilTheFileBreaksAndRefusesDamageNamingFileAndReason) {
    CTempDir dir;
    const std::string strPath = dir.File("rnddat.dbf");
    ASSERT_TRUE(WritePriceTable(strPath, 4));
    auto table = DbfTable::Open(strPath);
    EXPECT_EQ(table->FindField("fa"), 9);
    EXPECT_NE(ErrorOf([&] { table->Load(4); }).find("Record 5 of"), std::string::npos);
    table = DbfTable::Open(strPath);  // again, so that no record is in memory
    ASSERT_EQ(truncate(strPath.c_str(), 385 + 2 * 133 + 50), 0);  // shortened after opening
    EXPECT_NE(ErrorOf([&] { table->Load(2); }).find("record 3"), std::string::npos);
    // Text keeps its leading blanks; other types lose blanks on both sides.
    const std::tuple<std::string_view, char, std::string_view> trims[] = {
        {"  ab  ", 'C', "  ab"},
        {std::string_view("ab\0\0", 4), 'C', "ab"},
        {"   12.500 ", 'N', "12.500"},
        {"    ", 'N', ""}};
    for (const auto& [raw, cType, trimmed] : trims)
        EXPECT_EQ(kdbf::TrimFieldText(raw, cType), trimmed);
    // Damaged copies are refused at the open, naming the file and the reason.
    ASSERT_TRUE(WritePriceTable(strPath, 4));
    const std::string good = ReadFile(strPath);
    auto patched = [&](std::size_t offset, const std::string& bytes) {
        return std::string(good).replace(offset, bytes.size(), bytes);
    };
    const std::pair<std::string, std::string> cases[] = {
        {"", "too short"},
        {good.substr(0, 20), "too short"},
        {patched(0, "\x7F"), "version"},
        {patched(8, std::string("\x20\0", 2)), "header length"},  // no room for a terminator
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
    // Every version of the same record layout opens, the end-of-file mark is optional,
    // and the descriptors may end in 0x0A or 0x00 as GIS tools end them.
    const std::pair<char, char> versions[] = {
        {0x03, 0x0D},   {0x05, 0x0D},   {0x30, 0x0D},   {0x31, 0x0D}, {0x32, 0x0D},
        {'\x83', 0x0D}, {'\x8B', 0x0D}, {'\xF5', 0x0D}, {0x03, 0x0A}, {0x03, 0x00}};
    for (const auto& [cVersion, cEnd] : versions) {
        std::string bytes = patched(0, std::string(1, cVersion)).substr(0, good.size() - 1);
        bytes[32 + 32 * 11] = cEnd;
        WriteFile(strPath, bytes);
        EXPECT_EQ(DbfTable::Open(strPath)->RecordCount(), 4u) << int(cVersion & 0xFF) << int(cEnd);
    }
    // Memo blocks outside the memos, and a missing memo file (the layouts are read from
    // real memo files by corpus_tables.py).
    std::string fox(512, '\0');  // the header: 32-byte blocks, big-endian
    fox[7] = 0x20;
    WriteFile(dir.File("t.fpt"), fox + std::string("\0\0\0\x01\0\0\0\x03", 8) + "abc");
    WriteFile(dir.File("t.dbf"), TableBytes(0xF5, 0, {{"M", 'M', 10}}, {"16", "15", "99"}));
    EXPECT_EQ(Values(*DbfTable::Open(dir.File("t.dbf"))),
              (std::vector<std::string>{"abc",
                                        "!Memo block 15 of file '" + dir.File("t.fpt") +
                                            "' lies within the file's header (column 'X')",
                                        "!Memo block 99 of file '" + dir.File("t.fpt") +
                                            "' lies outside the file (column 'X')"}));
    WriteFile(dir.File("T.DBF"), TableBytes(0x83, 0, {{"M", 'M', 10}}, {"1"}));
    EXPECT_EQ(Values(*DbfTable::Open(dir.File("T.DBF"))),
              std::vector<std::string>{"!Cannot open memo file '" + dir.File("T.DBT") +
                                       "': No such file or directory (column 'X')"});
}

TEST(DbfTableTest, EachTypeReadsInItsCanonicalFormAndNullFlagsHideValues) {
    CTempDir dir;
    // A Visual FoxPro table: every field nullable, _NULLFLAGS last, a varchar's length
    // bit before its null bit, a text wider than 255.
    const std::vector<SField> vfp = {{"V", 'V', 4, 2},         {"I", 'I', 4, 2}, {"Y", 'Y', 8, 2},
                                     {"T", 'T', 8, 2},         {"B", 'B', 8, 2}, {"C", 'C', 262, 2},
                                     {"_NULLFLAGS", '0', 1, 5}};
    const std::string strDay = Bytes<std::int32_t>(2460370);
    const std::string strRecord = std::string("ab\0\x02", 4) + Bytes<std::int32_t>(-42) +
                                  Bytes<std::int64_t>(-123456) + strDay +
                                  Bytes<std::int32_t>(49507250) + Bytes(0.1) + "Pr\x80" +
                                  std::string(259, ' ') + "\x01";
    const std::string strNulls = "abcd" + Bytes<std::int32_t>(0) + Bytes<std::int64_t>(0) + strDay +
                                 Bytes<std::int32_t>(49507000) + std::string(270, ' ') + "\x60";
    WriteFile(dir.File("vfp.dbf"), TableBytes(0x30, 0x03, vfp, {strRecord, strNulls}));
    EXPECT_EQ(Values(*DbfTable::Open(dir.File("vfp.dbf"))),
              (std::vector<std::string>{"ab", "-42", "-12.3456", "2024-02-29 13:45:07.250", "0.1",
                                        "Pr\xE2\x82\xAC", "abcd", "0", "0.0000",
                                        "2024-02-29 13:45:07", "NULL", "NULL"}));

    // dBase III: dates, logicals and numbers, blank and damaged.
    const std::vector<SField> db3 = {{"D", 'D', 8}, {"L", 'L', 1}, {"N", 'N', 5, 0, 1}};
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"20240229Y   12", {"2024-02-29", "1", "12.0"}},  // written with its decimals
        {"        ?     ", {"NULL", "NULL", "NULL"}},
        {"00000000n*****", {"NULL", "0", "NULL"}},  // '*': NULL, as GDAL writes it
        {"20230229 +12.5", {"!Invalid date '20230229' in column 'X'", "NULL", "+12.5"}},
        {"        F 68,5", {"NULL", "0", "68.5"}},  // a decimal comma
        {"        F1,2.5",
         {"NULL", "0", "!Column 'X' holds '1,2.5', a number with a thousands separator"}},
    };
    for (const auto& [strRaw, expected] : cases) {
        WriteFile(dir.File("db3.dbf"), TableBytes(0x03, 0, db3, {strRaw}));
        EXPECT_EQ(Values(*DbfTable::Open(dir.File("db3.dbf"))), expected) << strRaw;
    }

    // A dBase binary memo is bytes; in Visual FoxPro the same letter is a double.
    kdbf::DbfField binary{"B", 'B', 8};
    EXPECT_EQ(kdbf::DescribeField(binary, "t").sql_type, SQL_LONGVARBINARY);
    binary.visual_foxpro = true;
    EXPECT_EQ(kdbf::DescribeField(binary, "t").sql_type, SQL_DOUBLE);
}

// The direct reader's result and the engine's walk their rows alike: deleted records
// skipped from the first, back to the first even forward-only, the last row again
// after looking past it; and give the same text, Visual FoxPro's types among it.
TEST(ResultTest, BothResultsWalkAlikeWhicheverWayTheCursorMoves) {
    CTempDir dir;
    WriteFile(dir.File("t.dbf"), TableBytes(0x03, 0, {{"C", 'C', 1}, {"_NULLFLAGS", '0', 1}},
                                            {"*x", "a", "*y", "*z", "b", "c"}));
    const std::vector<SField> vfp = {{"I", 'I', 4, 2},
                                     {"Y", 'Y', 8, 2},
                                     {"B", 'B', 8, 2},
                                     {"T", 'T', 8, 2},
                                     {"_NULLFLAGS", '0', 1}};
    WriteFile(dir.File("v.dbf"),
              TableBytes(0x30, 0, vfp,
                         {Bytes<std::int32_t>(7) + Bytes<std::int64_t>(150000) + Bytes(0.1) +
                              Bytes<std::int32_t>(2460370) + Bytes<std::int32_t>(49507250) + '\0',
                          Bytes<std::int32_t>(8) + std::string(24, '\0') + "\x0E"}));
    kdbf::SqlEngine engine(dir.Path() + "/", {});
    kdbf::SelectQuery all;
    all.all_columns = true;
    for (bool bForwardOnly : {true, false}) {
        for (const char* pszTable : {"t", "v"}) {
            std::string strWalks;
            const std::string strTable = pszTable;
            for (bool bEngine : {false, true}) {
                auto result =
                    bEngine ? kdbf::MakeSqlResult(engine, "SELECT * FROM " + strTable + " WHERE 1",
                                                  {}, true, bForwardOnly)
                            : kdbf::MakeTableResult(DbfTable::Open(dir.File(strTable + ".dbf")),
                                                    all, strTable, bForwardOnly);
                const int nColumns = static_cast<int>(result->Columns().size());
                std::size_t r = 0;
                for (; result->HasRow(r); ++r)
                    for (int c = 0; c < nColumns; ++c)
                        strWalks += result->Cell(r, c).value_or("NULL") + " ";
                strWalks += result->Cell(r - 1, 0).value_or("NULL") + *result->Cell(0, 0) +
                            std::to_string(result->CountRows()) + "|";
            }
            const std::string strV = "7 15.0000 0.1 2024-02-29 13:45:07.250 8 NULL NULL NULL 872|";
            EXPECT_EQ(strWalks, pszTable[0] == 't' ? "a b c ca3|a b c ca3|" : strV + strV);
        }
    }
    WriteFile(dir.File("p.dbf"), TableBytes(0x30, 0, {{"C", 'C', 1}, {"PIC", 'P', 4}}, {"a"}));
    EXPECT_EQ(ErrorOf([&] { kdbf::MakeTableResult(DbfTable::Open(dir.File("p.dbf")), all, "p"); }),
              "Column 'PIC' of table 'p' has the field type 'P', which the driver cannot read");
}

TEST(CodePageTest, TheTableByteWinsThenTheSettingThenTheCpgFileThenCp1252) {
    CTempDir dir;
    const std::string strTable = dir.File("t.dbf");
    EXPECT_EQ(kdbf::ChooseCodePage(0x01, strTable, "cp850"), "CP437");
    EXPECT_EQ(kdbf::ChooseCodePage(0x00, strTable, "cp850"), "CP850");
    EXPECT_EQ(kdbf::ChooseCodePage(0x00, strTable, ""), "CP1252");
    EXPECT_EQ(kdbf::ChooseCodePage(0x01, strTable, "RAW"), "raw");
    WriteFile(dir.File("t.cpg"), "UTF-8\n");
    EXPECT_EQ(kdbf::ChooseCodePage(0x00, strTable, ""), "UTF-8");
    EXPECT_EQ(kdbf::ChooseCodePage(0x00, strTable, "cp850"), "CP850");
    for (auto [nByte, pszPage] : {std::pair{0xC9, "CP1251"}, {0x57, "CP1252"}, {0x69, "MAZOVIA"}})
        EXPECT_EQ(kdbf::ChooseCodePage(nByte, strTable, ""), pszPage);
    WriteFile(dir.File("u.CPG"), "866");
    EXPECT_EQ(kdbf::ChooseCodePage(0x00, dir.File("u.dbf"), ""), "CP866");
    const std::pair<const char*, const char*> names[] = {
        {"1252", "CP1252"},      {"ANSI 1251", "CP1251"}, {"OEM 850", "CP850"},
        {" utf8 ", "UTF-8"},     {"65001", "UTF-8"},      {"ISO 8859-1", "ISO-8859-1"},
        {"88591", "ISO-8859-1"}, {"cp437", "CP437"},      {"KOI8-R", "KOI8-R"},
        {"shiftjis", "CP932"},   {"Big5", "CP950"},
    };
    for (const auto& [pszText, pszName] : names)
        EXPECT_EQ(kdbf::NormalizeCodePage(pszText), pszName);

    const std::tuple<const char*, std::string, std::string> decoded[] = {
        {"CP1252", "\x80 \xE9", "\xE2\x82\xAC \xC3\xA9"},
        {"CP437", "\x8F \x82", "\xC3\x85 \xC3\xA9"},
        {"UTF-8", "ok \xC3\xA9 \xFF\xF8\x80\xC0\xAF", "ok \xC3\xA9 \uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"CP932", "\x82\xA0", "\xE3\x81\x82"},  // a multi-byte code page
        {"raw", "\x8F", "\x8F"},
    };
    for (const auto& [pszPage, strIn, strOut] : decoded) {
        std::string text;
        kdbf::TextDecoder(pszPage).Append(strIn, &text);
        EXPECT_EQ(text, strOut) << pszPage;
    }
    // A code page nobody can decode stops the reading of text only.
    WriteFile(dir.File("t.cpg"), "no-such-page");
    WriteFile(strTable, TableBytes(0x03, 0, {{"C", 'C', 1}, {"N", 'N', 2}}, {"a 1"}));
    EXPECT_EQ(Values(*DbfTable::Open(strTable)),
              (std::vector<std::string>{
                  "!Code page 'NO-SUCH-PAGE' is not known (table '" + strTable + "')", "1"}));
    std::u16string wide;
    kdbf::AppendUtf16("\xE2\x82\xAC\xF0\x9F\x98\x80\xE9", &wide);  // an invalid byte is Latin-1
    EXPECT_EQ(wide, (std::u16string{0x20AC, 0xD83D, 0xDE00, 0xE9}));
}

}  // namespace
