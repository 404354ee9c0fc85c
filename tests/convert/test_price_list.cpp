// The price-list writer: whole files against an independent model, and the details that
// the companion application is strict about.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <clocale>
#include <cmath>
#include <ctime>
#include <sstream>

#include "convert/FileError.h"
#include "convert/PriceList.h"
#include "tests/convert/ExpectedPriceList.h"
#include "tests/convert/PriceTableFixture.h"

namespace {

constexpr std::time_t kMarch5th2004 = 1078488000;  // 2004-03-05 12:00 UTC

std::vector<std::string> Lines(const std::string& strFile) {
    std::vector<std::string> lines;
    size_t nStart = 0, nEnd;
    while ((nEnd = strFile.find("\r\n", nStart)) != std::string::npos) {
        lines.push_back(strFile.substr(nStart, nEnd - nStart));
        nStart = nEnd + 2;
    }
    return lines;
}

double Numbered(int nRecord, int nField) {
    return PriceValue(nRecord, nField);
}

}  // namespace

class PriceListTest : public PriceTableFixture {
protected:
    void SetUp() override {
        PriceTableFixture::SetUp();
        setenv("TZ", "UTC", 1);
        tzset();
    }

    void SetModified(const std::string& strPath, std::time_t nTime) {
        struct utimbuf times = {nTime, nTime};
        ASSERT_EQ(utime(strPath.c_str(), &times), 0);
    }

    // Writes the price list of table `strTable` as if read from `strInputPath`, and
    // returns the file's bytes.
    std::string Convert(const std::string& strTable, const std::string& strCut,
                        const std::string& strInputPath, bool bNineteen) {
        CPapRecord& rs = OpenTable(strTable);
        COutputFile file;
        file.Open(m_dir.File("out.txt"));
        WritePriceList(file, strCut, strInputPath, bNineteen, rs);
        file.Close();
        return ReadFile(m_dir.File("out.txt"));
    }
};

TEST_F(PriceListTest, BrilliantFileMatchesTheNineteenTableLayout) {
    WriteNumberedTable("rnddat", 150);
    std::string strInput = m_dir.File("rnddat.dbf");
    SetModified(strInput, kMarch5th2004);
    std::string strFile = Convert("rnddat", "Brilliant", strInput, true);
    EXPECT_EQ(strFile, ExpectedPriceList("Brilliant", strInput, "March 05, 2004", true, Numbered));
    EXPECT_EQ(Lines(strFile).size(), 260u);
}

TEST_F(PriceListTest, PearFileMatchesTheFifteenTableLayout) {
    WriteNumberedTable("peardat", 130);
    std::string strInput = m_dir.File("peardat.dbf");
    SetModified(strInput, kMarch5th2004);
    std::string strFile = Convert("peardat", "Pear", strInput, false);
    EXPECT_EQ(strFile, ExpectedPriceList("Pear", strInput, "March 05, 2004", false, Numbered));
    EXPECT_EQ(Lines(strFile).size(), 220u);
}

TEST_F(PriceListTest, AnUnreadableInputFileLeavesTheDateCommentOut) {
    WriteNumberedTable("rnddat", 150);
    WriteNumberedTable("mqdat", 130);
    const std::string strMissing = m_dir.File("gone/rnddat.dbf");
    std::string strBrilliant = Convert("rnddat", "Brilliant", strMissing, true);
    EXPECT_EQ(strBrilliant, ExpectedPriceList("Brilliant", strMissing, "", true, Numbered));
    EXPECT_EQ(Lines(strBrilliant).size(), 259u);
    EXPECT_EQ(Lines(Convert("mqdat", "Marquise", strMissing, false)).size(), 219u);
}

TEST_F(PriceListTest, WorkedExampleAppearsByteForByte) {
    CPriceRow first = {30, 25, 21, 18, 15, 12, 9.5, 7, 1, 1, 1};
    std::vector<CPriceRow> rows(130, CPriceRow(11, 1.0));
    rows[0] = first;
    WriteTable("peardat", rows);
    // The input path is only text to the writer and a name to stat: make a file of that
    // very name in the test's own folder, and look it up from there.
    const std::string strInput = "C:\\Prices\\peardat.dbf";
    char szOldDir[4096];
    ASSERT_NE(getcwd(szOldDir, sizeof szOldDir), nullptr);
    ASSERT_EQ(chdir(m_dir.Path().c_str()), 0);
    WriteFile(strInput, "x");
    SetModified(strInput, kMarch5th2004);
    std::string strFile = Convert("peardat", "Pear", strInput, false);
    ASSERT_EQ(chdir(szOldDir), 0);

    const std::string strExpected =
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
        "G-H     100     100     100     100     100     100     100     100  \r\n";
    EXPECT_EQ(strFile.substr(0, strExpected.size()), strExpected);
}

TEST_F(PriceListTest, OpenEndedTableRepeatsThePreviousOneButForItsMassLine) {
    WriteNumberedTable("rnddat", 150);
    std::vector<std::string> lines = Lines(Convert("rnddat", "Brilliant", "none", true));
    ASSERT_EQ(lines.size(), 259u);
    const size_t nBlock = 15;  // empty, format, mass, magnify, header, ten rows
    for (size_t i = 0; i < nBlock; ++i) {
        const std::string& strLast = lines[lines.size() - nBlock + i];
        const std::string& strBefore = lines[lines.size() - 2 * nBlock + i];
        if (i == 2) {
            EXPECT_EQ(strBefore, "Mass:   5.00    5.99");
            EXPECT_EQ(strLast, "Mass:   6.00    1000.00");
        } else {
            EXPECT_EQ(strLast, strBefore) << "line " << i << " of the block";
        }
    }
}

TEST_F(PriceListTest, CellsRoundHalvesUpAndWriteEmptyFieldsAsZero) {
    std::vector<CPriceRow> rows(130, CPriceRow(11, 1.0));
    rows[0] = {12.5, 42.125, -0.125, std::nullopt, 0, 9.5, 7, 1, 1, 1, 1};
    rows[1] = {1000, -100, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    rows[2] = {25000000, -25000000, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    // Wider columns than the publisher's, to hold prices beyond 32 bits once times 100.
    std::vector<SDbfColumn> columns = PriceColumns();
    for (SDbfColumn& column : columns) column.nWidth = 16;
    ASSERT_TRUE(WriteDbf(m_dir.File("emdat.dbf"), columns, rows));
    std::vector<std::string> lines = Lines(Convert("emdat", "Emerald", "none", false));
    ASSERT_GT(lines.size(), 11u);
    EXPECT_EQ(lines[9], "D-F     1250    4213    -12     0       0       950     700     100  ");
    // Six characters and more are written whole and push the later fields right.
    EXPECT_EQ(lines[10], "G-H     100000   -10000   100     100     100     100     100     100  ");
    // Beyond 32 bits: the exact whole number, not a wrapped one.
    EXPECT_EQ(lines[11],
              "I-J     2500000000   -2500000000   100     100     100     100     100     100  ");
}

TEST_F(PriceListTest, LinesEndInCrLfAndOnlyRowsEndInBlanks) {
    WriteNumberedTable("rnddat", 150);
    std::string strFile = Convert("rnddat", "Brilliant", "none", true);
    EXPECT_EQ(strFile.find('\t'), std::string::npos);
    ASSERT_GE(strFile.size(), 4u);
    EXPECT_EQ(strFile.substr(strFile.size() - 2), "\r\n");
    EXPECT_NE(strFile.substr(strFile.size() - 4), "\r\n\r\n");
    for (size_t i = 0; i < strFile.size(); ++i) {
        if (strFile[i] == '\n') {
            ASSERT_TRUE(i > 0 && strFile[i - 1] == '\r') << "offset " << i;
        } else if (strFile[i] == '\r') {
            ASSERT_TRUE(i + 1 < strFile.size() && strFile[i + 1] == '\n') << "offset " << i;
        }
    }
    int nPadded = 0;
    for (const std::string& strLine : Lines(strFile)) {
        if (strLine.empty() || strLine.back() != ' ') continue;
        ++nPadded;
        std::string strLabel = strLine.substr(0, strLine.find(' '));
        EXPECT_TRUE(strLabel.size() == 1 || strLabel.size() == 3) << strLine;
        EXPECT_TRUE(strLabel[0] >= 'D' && strLabel[0] <= 'M') << strLine;
    }
    EXPECT_GT(nPadded, 0);  // short last values do leave blanks
}

TEST_F(PriceListTest, DateAndNumbersIgnoreTheUsersLocale) {
    WriteNumberedTable("peardat", 130);
    std::string strInput = m_dir.File("peardat.dbf");
    SetModified(strInput, kMarch5th2004);
    const std::string strExpected =
        ExpectedPriceList("Pear", strInput, "March 05, 2004", false, Numbered);
    // A German locale, built into the test's folder when the system has none.
    if (!setlocale(LC_ALL, "de_DE.UTF-8")) {
        std::string strCommand =
            "localedef -i de_DE -f UTF-8 '" + m_dir.File("de_DE.UTF-8") + "' >/dev/null 2>&1";
        if (std::system(strCommand.c_str()) == 0) {
            setenv("LOCPATH", m_dir.Path().c_str(), 1);
            setlocale(LC_ALL, "de_DE.UTF-8");
        }
    }
    if (std::string(setlocale(LC_ALL, nullptr)) != "de_DE.UTF-8")
        GTEST_SKIP() << "no German locale available";
    std::string strFile = Convert("peardat", "Pear", strInput, false);
    setlocale(LC_ALL, "C");
    EXPECT_EQ(strFile, strExpected);
}

TEST_F(PriceListTest, AFailedWriteIsReportedAsDiskFullWithTheOutputPath) {
    WriteNumberedTable("rnddat", 150);
    CPapRecord& rs = OpenTable("rnddat");
    COutputFile file;
    file.Open("/dev/full");
    try {
        WritePriceList(file, "Brilliant", "none", true, rs);
        FAIL() << "wrote to a full disk";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::diskFull);
        EXPECT_EQ(e.GetErrorMessage(), "Disk full while accessing /dev/full.");
    }
}

TEST(CellText, RoundsHalvesUpAndWritesOutOfRangeValuesWhole) {
    EXPECT_EQ(CellText(12.5), "1250");
    EXPECT_EQ(CellText(42.125), "4213");
    EXPECT_EQ(CellText(-0.125), "-12");
    EXPECT_EQ(CellText(0.0), "0");
    EXPECT_EQ(CellText(21474836.47), "2147483647");
    EXPECT_EQ(CellText(-21474836.48), "-2147483648");
    EXPECT_EQ(CellText(21474836.48), "2147483648");
    EXPECT_EQ(CellText(1e20), "10000000000000000000000");
    EXPECT_EQ(CellText(INFINITY), "0");
    EXPECT_EQ(CellText(NAN), "0");
    EXPECT_EQ(CellText(1e307), "0");  // times 100 is no longer finite
}

TEST(DateText, UsesEnglishMonthsAndATwoDigitDay) {
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(DateText(kMarch5th2004), "March 05, 2004");
    EXPECT_EQ(DateText(0), "January 01, 1970");
    EXPECT_EQ(DateText(1703980800), "December 31, 2023");
    // Local time decides the day: an hour east of UTC, midnight has passed.
    setenv("TZ", "UTC-1", 1);
    tzset();
    EXPECT_EQ(DateText(1703980800 + 23 * 3600), "January 01, 2024");
}
