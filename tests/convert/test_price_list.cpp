// The price-list writer: whole files against an independent model of the format, and the
// details that the companion application is strict about. Then the file it writes: the
// descriptions of file errors and the file operations beneath it.
#include <gtest/gtest.h>
#include <unistd.h>
#include <utime.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <filesystem>
#include <sstream>

#include "convert/OutputFile.h"
#include "convert/PriceList.h"
#include "convert/SafeFile.h"
#include "tests/convert/PriceTableFixture.h"

constexpr std::time_t kMarch5th2004 = 1078488000;  // 2004-03-05 12:00 UTC

// The mass ranges of the layouts' tables, from and to.
const char* const kSmallBrilliant = "0.01 0.03 0.04 0.07 0.08 0.14 0.15 0.17 0.18 0.22 0.23 0.29";
const char* const kSmallOther = "0.01 0.22 0.23 0.29";
const char* const kLarge =
    "0.30 0.37 0.38 0.45 0.46 0.49 0.50 0.69 0.70 0.89 0.90 0.99 1.00 1.49 1.50 1.99 2.00 2.99 "
    "3.00 3.99 4.00 4.99 5.00 5.99 6.00 1000.00";

// One table of the numbered table, whose record r, field f holds r * 4 + f * 0.25.
static std::string ExpectedTable(bool bSmall, const std::string& strMass, int nFirst) {
    std::string s = std::string("\r\nFormat: clarity ") + (bSmall ? "8       5" : "11      10") +
                    "\r\nMass:   " + strMass + "\r\nMagnify:        1\r\n";
    s += bSmall ? "        IF-VVS2 VS1-VS2 SI1     SI2     SI3     I1      I2      I3\r\n"
                : "        IF      VVS1    VVS2    VS1     VS2     SI1     SI2     SI3     I1      "
                  "I2      I3\r\n";
    const std::string strLabels = bSmall ? "D-F     G-H     I-J     K-L     M-N     "
                                         : "D       E       F       G       H       I       "
                                           "J       K       L       M       ";
    for (int r = 0; r < (bSmall ? 5 : 10); ++r) {
        std::string strRow = strLabels.substr(r * 8, 8);
        for (int f = 1; f <= (bSmall ? 8 : 11); ++f) {
            std::string strCell = std::to_string((nFirst + r) * 400 + f * 25);
            strRow += (f > 1 ? "   " : "") + strCell + std::string(5 - strCell.size(), ' ');
        }
        s += strRow + "\r\n";
    }
    return s;
}

// The whole file of the numbered table; an empty `strDate` leaves the date comment out.
static std::string ExpectedFile(const std::string& strCut, const std::string& strPath,
                                const std::string& strDate, bool bNineteen) {
    std::string s =
        "; Price list for " + strCut + " diamonds\r\n; Generated from \"" + strPath + "\" file\r\n";
    if (!strDate.empty()) s += "; The original file's date was " + strDate + "\r\n";
    s += bNineteen ? "\r\nTables: 19\r\n" : "\r\nTables: 15\r\n";
    std::istringstream small(bNineteen ? kSmallBrilliant : kSmallOther), large(kLarge);
    int nFirst = 1;
    for (std::string strFrom, strTo; small >> strFrom >> strTo; nFirst += 5)
        s += ExpectedTable(true, strFrom + "    " + strTo, nFirst);
    for (std::string strFrom, strTo; large >> strFrom >> strTo; nFirst += 10)  // 6.00: rows again
        s += ExpectedTable(false, strFrom + "    " + strTo,
                           strFrom == "6.00" ? nFirst - 10 : nFirst);
    return s;
}

class PriceListTest : public PriceTableFixture {
protected:
    void SetModified(const std::string& strPath) {
        setenv("TZ", "UTC", 1);
        tzset();
        struct utimbuf times = {kMarch5th2004, kMarch5th2004};
        ASSERT_EQ(utime(strPath.c_str(), &times), 0);
    }
    // The price list of `strTable`, written as if read from `strInputPath`.
    std::string Convert(const std::string& strTable, const std::string& strCut,
                        const std::string& strInputPath, bool bNineteen) {
        COutputFile file;
        file.Open(m_dir.File("out.txt"));
        WritePriceList(file, strCut, strInputPath, bNineteen, OpenTable(strTable));
        file.Close();
        return ReadFile(m_dir.File("out.txt"));
    }
};

// Under a German locale where one can be had, to show that neither date nor numbers follow it.
TEST_F(PriceListTest, WholeFilesMatchTheModelWithAndWithoutTheDateComment) {
    ASSERT_TRUE(WritePriceTable(m_dir.File("rnddat.dbf"), 150));  // before the locale changes
    ASSERT_TRUE(WritePriceTable(m_dir.File("peardat.dbf"), 130));
    const std::string strLocaledef =
        "localedef -i de_DE -f UTF-8 '" + m_dir.File("de_DE.UTF-8") + "' >/dev/null 2>&1";
    if (!setlocale(LC_ALL, "de_DE.UTF-8") && std::system(strLocaledef.c_str()) == 0) {
        setenv("LOCPATH", m_dir.Path().c_str(), 1);  // built into the test's folder
        setlocale(LC_ALL, "de_DE.UTF-8");
    }
    for (bool bNineteen : {true, false}) {
        const std::string strTable = bNineteen ? "rnddat" : "peardat";
        const std::string strCut = bNineteen ? "Brilliant" : "Pear";
        SCOPED_TRACE(strCut);
        const std::string strInput = m_dir.File(strTable + ".dbf");
        SetModified(strInput);
        std::string strFile = Convert(strTable, strCut, strInput, bNineteen);
        EXPECT_EQ(strFile, ExpectedFile(strCut, strInput, "March 05, 2004", bNineteen));
        EXPECT_EQ(std::count(strFile.begin(), strFile.end(), '\n'), bNineteen ? 260 : 220)
            << "the model's own size";
        const std::string strMissing = m_dir.File("gone.dbf");  // no date to read
        strFile = Convert(strTable, strCut, strMissing, bNineteen);
        EXPECT_EQ(strFile, ExpectedFile(strCut, strMissing, "", bNineteen));
    }
    setlocale(LC_ALL, "C");
}

// The worked example's first row, then cells that round halves up, write an empty field
// as 0, and write six characters and more whole, pushing the later fields right.
TEST_F(PriceListTest, WorkedExampleAndCellsAppearByteForByte) {
    std::vector<CPriceRow> rows(130, CPriceRow(11, 1.0));
    rows[0] = {30, 25, 21, 18, 15, 12, 9.5, 7, 1, 1, 1};
    rows[1] = {12.5, 42.125, -0.125, std::nullopt, 0, 9.5, 7, 1, 1, 1, 1};
    rows[2] = {1000, -100, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    rows[3] = {25000000, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    ASSERT_TRUE(WriteDbf(m_dir.File("peardat.dbf"), PriceColumns(), rows));
    // The path is text to the writer and a name to stat: a file of that name in m_dir.
    const std::string strInput = "C:\\Prices\\peardat.dbf";
    const std::filesystem::path oldDir = std::filesystem::current_path();
    std::filesystem::current_path(m_dir.Path());
    WriteFile(strInput, "x");
    SetModified(strInput);
    std::string strFile = Convert("peardat", "Pear", strInput, false);
    std::filesystem::current_path(oldDir);
    EXPECT_TRUE(strFile.starts_with(
        "; Price list for Pear diamonds\r\n"
        "; Generated from \"C:\\Prices\\peardat.dbf\" file\r\n"
        "; The original file's date was March 05, 2004\r\n"
        "\r\n"
        "Tables: 15\r\n"
        "\r\n"
        "Format: clarity 8       5\r\n"
        "Mass:   0.01    0.22\r\n"
        "Magnify:        1\r\n"
        "        IF-VVS2 VS1-VS2 SI1     SI2     SI3     I1      I2      I3\r\n"
        "D-F     3000    2500    2100    1800    1500    1200    950     700  \r\n"
        "G-H     1250    4213    -12     0       0       950     700     100  \r\n"
        "I-J     100000   -10000   100     100     100     100     100     100  \r\n"
        "K-L     2500000000   100     100     100     100     100     100     100  \r\n"))
        << strFile.substr(0, 900);
}

TEST(CellAndDateText, DefinedOutputBeyond32BitsAndEnglishDatesInLocalTime) {
    // Beyond 32 bits the exact whole number; where times 100 is not finite, 0.
    const std::pair<double, const char*> cases[] = {{21474836.47, "2147483647"},
                                                    {21474836.48, "2147483648"},
                                                    {-21474836.49, "-2147483649"},
                                                    {1e20, "10000000000000000000000"},
                                                    {INFINITY, "0"},
                                                    {NAN, "0"},
                                                    {1e307, "0"}};
    for (auto [dValue, pszText] : cases) EXPECT_EQ(CellText(dValue), pszText) << dValue;
    setenv("TZ", "UTC-1", 1);  // an hour east of UTC: past midnight
    tzset();
    EXPECT_EQ(DateText(1703980800 + 23 * 3600), "January 01, 2024");
}

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
