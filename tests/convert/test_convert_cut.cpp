#include "convert/ConvertCut.h"

#include <sys/stat.h>

#include <deque>
#include <filesystem>

#include <gtest/gtest.h>

#include "log/RunLog.h"
#include "res/MessageBox.h"
#include "res/Strings.h"
#include "tests/support/DbfWriter.h"
#include "tests/support/OdbcSandbox.h"
#include "tests/support/TempDir.h"
#include "ui/CutTable.h"
#include "ui/Settings.h"

namespace {

// Answers message boxes from a script and records what was shown; a box the script did
// not expect is a test failure (answered with Cancel, or OK where there is no Cancel).
class CScriptedBox : public IMessageBox {
public:
    struct SShown {
        std::string strText;
        unsigned nType;
    };
    void Expect(int nAnswer) { m_answers.push_back(nAnswer); }
    int MessageBox(const std::string& strText, unsigned nType) override {
        m_shown.push_back({strText, nType});
        if (m_answers.empty()) {
            ADD_FAILURE() << "unexpected message box: " << strText;
            return (nType & MB_TYPEMASK) == MB_OK ? IDOK : IDCANCEL;
        }
        int nAnswer = m_answers.front();
        m_answers.pop_front();
        return nAnswer;
    }
    std::deque<int> m_answers;
    std::vector<SShown> m_shown;
};

class ConvertCutTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_odbc.RegisterDataSource()) << m_odbc.InstallerError();
        std::filesystem::create_directories(In(""));
        std::filesystem::create_directories(Out(""));
        m_conv.m_strOutputDir = m_dir.File("out");
    }
    void TearDown() override {
        EXPECT_TRUE(m_box.m_answers.empty()) << "a scripted answer was never asked for";
    }

    std::string In(const std::string& strName) { return m_dir.File("in/" + strName); }
    std::string Out(const std::string& strName) { return m_dir.File("out/" + strName); }
    void WriteTable(int nCut, int nRecords) {
        ASSERT_TRUE(WritePriceTable(In(g_cuts[nCut].pszTable), nRecords));
    }
    void Convert(int nCut) {
        const SCut& cut = g_cuts[nCut];
        m_conv.ConvertCut(In(cut.pszTable), LoadString(cut.nNameId), cut.pszOutput,
                          cut.bNineteen);
    }
    std::string Processing(int nCut) {
        return "---------------\r\nProcessing " + LoadString(g_cuts[nCut].nNameId) +
               " cut data from \"" + In(g_cuts[nCut].pszTable) + "\" file.\r\n";
    }
    std::string Moving(const std::string& strFrom, const std::string& strTo,
                       const char* pszResult = "success") {
        return "Moving \"" + Out(strFrom) + "\" file to \"" + Out(strTo) + "\": " + pszResult +
               ".\r\n";
    }
    std::string Converted(const std::string& strName) {
        return "File was converted successfully to \"" + Out(strName) + "\".\r\n";
    }
    bool IsPriceList(const std::string& strPath) {
        std::string strText = ReadFile(strPath);
        return strText.size() > 1000 && strText.find("\r\n") != std::string::npos;
    }

    COdbcSandbox m_odbc;  // first: before any ODBC call of the process
    CTempDir m_dir;
    CRunLog m_log;
    CScriptedBox m_box;
    CCutConverter m_conv{m_log, m_box};
};

}  // namespace

TEST(ConvertCutPaths, FolderPartAndTableName) {
    std::string strFolder, strTable;
    SplitInputPath("/prices/rnddat.dbf", strFolder, strTable);
    EXPECT_EQ(strFolder, "/prices/");
    EXPECT_EQ(strTable, "rnddat");
    EXPECT_EQ(ConnectionString(strFolder), "DSN=zlmrt_conv;DEFAULTDIR=/prices/");
    SplitInputPath("rnddat.dbf", strFolder, strTable);
    EXPECT_EQ(ConnectionString(strFolder), "DSN=zlmrt_conv;DEFAULTDIR=");
    EXPECT_EQ(strTable, "rnddat");
    SplitInputPath("/My.Data/prices", strFolder, strTable);
    EXPECT_EQ(strFolder, "/My.Data/");
    EXPECT_EQ(strTable, "prices");
    SplitInputPath("/a/b.c.dbf", strFolder, strTable);
    EXPECT_EQ(strTable, "b.c");
}

TEST(ConvertCutPaths, FolderThatWouldBreakTheConnectionStringIsBraced) {
    EXPECT_EQ(ConnectionString("/x;DSN=other/"), "DSN=zlmrt_conv;DEFAULTDIR={/x;DSN=other/}");
    EXPECT_EQ(ConnectionString("/a{b}c/"), "DSN=zlmrt_conv;DEFAULTDIR={/a{b}}c/}");
    EXPECT_EQ(ConnectionString("/plain dir=1/"), "DSN=zlmrt_conv;DEFAULTDIR=/plain dir=1/");
}

TEST_F(ConvertCutTest, EveryCutConvertsAndTheOutputFolderIsRemembered) {
    for (int nCut = 0; nCut < kCutCount; ++nCut) {
        WriteTable(nCut, g_cuts[nCut].bNineteen ? 150 : 130);
        Convert(nCut);
        EXPECT_EQ(m_log.Text(), Processing(nCut) + Converted(g_cuts[nCut].pszOutput));
        EXPECT_TRUE(IsPriceList(Out(g_cuts[nCut].pszOutput)));
        m_log.Clear();
    }
    EXPECT_FALSE(m_conv.m_bFailed);
    EXPECT_TRUE(m_box.m_shown.empty());
    EXPECT_EQ(GetProfileString(kSectionGeneral, kEntryOutputDir), m_dir.File("out"));
}

TEST_F(ConvertCutTest, FolderWithSemicolonAndBracesConverts) {
    std::string strFolder = m_dir.File("in;DSN=x{y}");
    std::filesystem::create_directories(strFolder);
    ASSERT_TRUE(WritePriceTable(strFolder + "/peardat.dbf", 130));
    m_conv.ConvertCut(strFolder + "/peardat.dbf", "Pear", "TrvPear.txt", false);
    EXPECT_FALSE(m_conv.m_bFailed) << m_log.Text();
    EXPECT_TRUE(IsPriceList(Out("TrvPear.txt")));
}

TEST_F(ConvertCutTest, WrongCountsAreRefusedWithTheLogLineBeforeMessage116) {
    const std::pair<int, int> cases[] = {{0, 149}, {0, 151}, {0, 130}, {1, 129},
                                         {2, 131}, {3, 150}, {0, 500}};
    for (auto [nCut, nRecords] : cases) {
        WriteTable(nCut, nRecords);
        m_log.Clear();
        // The box sees the log line and the flag already in place.
        struct : CScriptedBox {
            CCutConverter* pConv;
            CRunLog* pLog;
            int MessageBox(const std::string& strText, unsigned nType) override {
                EXPECT_TRUE(pConv->m_bFailed);
                EXPECT_NE(pLog->Text().find("Wrong numeber"), std::string::npos);
                return CScriptedBox::MessageBox(strText, nType);
            }
        } box;
        CCutConverter conv(m_log, box);
        conv.m_strOutputDir = m_conv.m_strOutputDir;
        box.pConv = &conv;
        box.pLog = &m_log;
        box.Expect(IDOK);
        conv.ConvertCut(In(g_cuts[nCut].pszTable), LoadString(g_cuts[nCut].nNameId),
                        g_cuts[nCut].pszOutput, g_cuts[nCut].bNineteen);
        int nExpected = g_cuts[nCut].bNineteen ? 150 : 130;
        EXPECT_EQ(m_log.Text(), Processing(nCut) + "Wrong numeber of records (" +
                                    std::to_string(std::min(nRecords, 201)) +
                                    ") in the table, " + std::to_string(nExpected) +
                                    " records expected\r\n");
        ASSERT_EQ(box.m_shown.size(), 1u);
        EXPECT_EQ(box.m_shown[0].strText, LoadString(IDS_WRONG_RECORD_COUNT));
        EXPECT_EQ(box.m_shown[0].nType, unsigned{MB_OK});
        EXPECT_TRUE(conv.m_bFailed);
        EXPECT_FALSE(FileExists(Out(g_cuts[nCut].pszOutput)));
    }
}

TEST_F(ConvertCutTest, EmptyTableEndsInTheGeneralHandler) {
    WriteTable(1, 0);
    m_box.Expect(IDOK);
    Convert(1);
    ASSERT_EQ(m_box.m_shown.size(), 1u);
    EXPECT_FALSE(m_box.m_shown[0].strText.empty());
    EXPECT_EQ(m_log.Text(), Processing(1) + "Unexpected error (description follows):\r\n\t" +
                                m_box.m_shown[0].strText.substr(0, 298) + "\r\n");
    EXPECT_TRUE(m_conv.m_bFailed);
}

TEST_F(ConvertCutTest, MissingTableAndMissingFolderFailWithoutABox) {
    Convert(2);  // no mqdat.dbf
    EXPECT_EQ(m_log.Text().rfind(Processing(2) + "Cannot open DBase table, error description "
                                 "follows:\r\n\t", 0), 0u) << m_log.Text();
    EXPECT_TRUE(m_conv.m_bFailed);
    m_log.Clear();
    m_conv.ConvertCut(m_dir.File("gone/rnddat.dbf"), "Brilliant", "TrvBrill.txt", true);
    EXPECT_NE(m_log.Text().find("\r\nCannot "), std::string::npos) << m_log.Text();
    EXPECT_TRUE(m_box.m_shown.empty());
}

TEST_F(ConvertCutTest, MissingOutputFolderLogsTheFileError) {
    WriteTable(0, 150);
    m_conv.m_strOutputDir = m_dir.File("no-such-dir");
    Convert(0);
    std::string strPath = m_dir.File("no-such-dir/TrvBrill.txt");
    EXPECT_EQ(m_log.Text(), Processing(0) + "Cannot open output file \"" + strPath +
                                "\", error follows:\r\n\t" + strPath + " was not found.\r\n");
    EXPECT_TRUE(m_conv.m_bFailed);
    EXPECT_EQ(GetProfileString(kSectionGeneral, kEntryOutputDir), "");
}

TEST_F(ConvertCutTest, NoOnAReadOnlyFileOverwritesInPlaceWithoutBackup) {
    WriteTable(1, 130);
    WriteFile(Out("TrvPear.txt"), "old");
    chmod(Out("TrvPear.txt").c_str(), 0444);
    m_box.Expect(IDNO);
    Convert(1);
    ASSERT_EQ(m_box.m_shown.size(), 1u);
    EXPECT_EQ(m_box.m_shown[0].strText,
              "\"" + Out("TrvPear.txt") + "\" output file (Pear cut) already exists. Replace "
              "existing files and create a backup copy?\nYes - replace existing files and create "
              "a copy.\nNo - replace the file and do not create a copy.\nCancel - do not convert "
              "the cut.");
    EXPECT_EQ(m_box.m_shown[0].nType, unsigned{MB_YESNOCANCEL | MB_ICONQUESTION});
    EXPECT_EQ(m_log.Text(), Processing(1) + Converted("TrvPear.txt"));
    EXPECT_TRUE(IsPriceList(Out("TrvPear.txt")));
    EXPECT_FALSE(FileExists(Out("TrvPear.bak")));
    EXPECT_FALSE(m_conv.m_bBackupConfirmed);
}

TEST_F(ConvertCutTest, YesMakesThePlainBackupThenNumberedOnesInTheLowestFreeNumber) {
    WriteTable(0, 150);
    WriteFile(Out("TrvBrill.txt"), "first");
    m_box.Expect(IDYES);
    Convert(0);
    EXPECT_EQ(m_log.Text(), Processing(0) + Moving("TrvBrill.txt", "TrvBrill.bak") +
                                Converted("TrvBrill.txt"));
    EXPECT_EQ(ReadFile(Out("TrvBrill.bak")), "first");
    EXPECT_TRUE(m_conv.m_bBackupConfirmed);

    // Only number 2 taken: the plain backup goes to 1, without another question.
    WriteFile(Out("TrvBrill2.bak"), "two");
    m_log.Clear();
    Convert(0);
    EXPECT_EQ(m_log.Text(), Processing(0) + Moving("TrvBrill.bak", "TrvBrill1.bak") +
                                Moving("TrvBrill.txt", "TrvBrill.bak") + Converted("TrvBrill.txt"));
    EXPECT_EQ(ReadFile(Out("TrvBrill1.bak")), "first");
    EXPECT_EQ(ReadFile(Out("TrvBrill2.bak")), "two");

    m_log.Clear();
    Convert(0);
    EXPECT_NE(m_log.Text().find(Moving("TrvBrill.bak", "TrvBrill3.bak")), std::string::npos);
    EXPECT_FALSE(m_conv.m_bFailed);
    EXPECT_EQ(m_box.m_shown.size(), 1u);
}

TEST_F(ConvertCutTest, AllTenNumberedBackupsPresentReplacesThePlainBackup) {
    WriteTable(3, 130);
    WriteFile(Out("TrvEm.txt"), "current");
    WriteFile(Out("TrvEm.bak"), "older");
    for (int n = 1; n <= 10; ++n) WriteFile(Out("TrvEm" + std::to_string(n) + ".bak"), "n");
    m_conv.m_bBackupConfirmed = true;
    Convert(3);
    EXPECT_EQ(m_log.Text(), Processing(3) + Moving("TrvEm.txt", "TrvEm.bak") +
                                Converted("TrvEm.txt"));
    EXPECT_EQ(ReadFile(Out("TrvEm.bak")), "current");
    EXPECT_FALSE(FileExists(Out("TrvEm11.bak")));
    EXPECT_TRUE(m_box.m_shown.empty());
}

TEST_F(ConvertCutTest, CancelAt122FailsThisCutOnlyAndTheNextStillConverts) {
    WriteTable(1, 130);
    WriteTable(2, 130);
    WriteFile(Out("TrvPear.txt"), "keep");
    m_box.Expect(IDCANCEL);
    Convert(1);
    Convert(2);
    EXPECT_EQ(m_log.Text(), Processing(1) + "Output file \"" + Out("TrvPear.txt") +
                                "\" exists, canceling conversion.\r\n" + Processing(2) +
                                Converted("TrvMarq.txt"));
    EXPECT_EQ(ReadFile(Out("TrvPear.txt")), "keep");
    EXPECT_TRUE(m_conv.m_bFailed);
    EXPECT_FALSE(m_conv.m_bBackupConfirmed);
}

// The plain backup's name is a folder, so the copy onto it fails whoever runs the test.
TEST_F(ConvertCutTest, FailedBackupAsksWith123AndCancelKeepsTheRememberedYes) {
    WriteTable(0, 150);
    WriteFile(Out("TrvBrill.txt"), "current");
    std::filesystem::create_directories(Out("TrvBrill.bak/sub"));
    for (int n = 1; n <= 10; ++n) WriteFile(Out("TrvBrill" + std::to_string(n) + ".bak"), "n");
    m_box.Expect(IDYES);
    m_box.Expect(IDCANCEL);
    Convert(0);
    ASSERT_EQ(m_box.m_shown.size(), 2u);
    EXPECT_EQ(m_box.m_shown[1].strText, "Backup copy of \"" + Out("TrvBrill.txt") +
                                            "\" file (Brilliant cut) cannot be created. "
                                            "Overwrite the file anyway?");
    EXPECT_EQ(m_box.m_shown[1].nType, unsigned{MB_OKCANCEL | MB_ICONQUESTION});
    EXPECT_EQ(m_log.Text(), Processing(0) + "Cannot create a backup copy of \"" +
                                Out("TrvBrill.txt") + "\". Canceling conversion.\r\n");
    EXPECT_EQ(ReadFile(Out("TrvBrill.txt")), "current");
    EXPECT_TRUE(m_conv.m_bFailed);
    EXPECT_TRUE(m_conv.m_bBackupConfirmed);

    // The next attempt asks 123 again but no longer 122; OK overwrites without a backup.
    m_box.Expect(IDOK);
    m_log.Clear();
    Convert(0);
    EXPECT_EQ(m_box.m_shown.size(), 3u);
    EXPECT_EQ(m_log.Text(), Processing(0) + Converted("TrvBrill.txt"));
    EXPECT_TRUE(IsPriceList(Out("TrvBrill.txt")));
}
