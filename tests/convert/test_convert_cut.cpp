// One cut's conversion run end to end, through the driver manager and our driver, with
// the user's answers scripted; before it, the paths of its table and of the four cuts.
#include "convert/ConvertCut.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <deque>
#include <filesystem>

#include "convert/CutTable.h"
#include "log/RunLog.h"
#include "res/MessageBox.h"
#include "res/Strings.h"
#include "tests/convert/PriceTableFixture.h"

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::StartsWith;

enum { kBrilliant, kPear, kMarquise, kEmerald };  // rows of g_cuts

// Answers message boxes from m_answers and records each with the log as it stood; a box
// the script did not expect fails the test.
class ConvertCutTest : public PriceTableFixture, public IMessageBox {
protected:
    struct SShown {
        std::string strText;
        unsigned nType;
        std::string strLogBefore;
    };
    void SetUp() override {
        PriceTableFixture::SetUp();
        std::filesystem::create_directories(In(""));
        std::filesystem::create_directories(Out(""));
        m_conv.m_strOutputDir = m_dir.File("out");
        m_conv.m_pOutputDirStore = &m_store;
    }
    void TearDown() override { EXPECT_TRUE(m_answers.empty()) << "an answer was never asked for"; }
    int MessageBox(const std::string& strText, unsigned nType) override {
        m_shown.push_back({strText, nType, m_log.Text()});
        EXPECT_FALSE(m_answers.empty()) << "unexpected message box: " << strText;
        const int nAnswer = m_answers.empty() ? IDCANCEL : m_answers.front();
        if (!m_answers.empty()) m_answers.pop_front();
        return nAnswer;
    }

    // The tables' folder needs braces in the connection string: every run shows they work.
    std::string In(const std::string& strName) { return m_dir.File("in;DSN=x{y}/" + strName); }
    std::string Out(const std::string& strName) { return m_dir.File("out/" + strName); }
    void WriteTable(int nCut, int nRecords) {
        ASSERT_TRUE(WritePriceTable(In(g_cuts[nCut].pszTable), nRecords));
    }
    // Runs the cut with `answers` for its boxes; the log and the boxes are this run's.
    void Convert(int nCut, std::deque<int> answers = {}) {
        EXPECT_TRUE(m_answers.empty()) << "an answer was never asked for";
        m_log.Clear();
        m_shown.clear();
        m_answers = std::move(answers);
        m_bConverted =
            m_conv.ConvertCut(In(g_cuts[nCut].pszTable), LoadString(g_cuts[nCut].nNameId),
                              g_cuts[nCut].pszOutput, g_cuts[nCut].bNineteen);
    }
    std::string Processing(int nCut) {
        return "---------------\r\nProcessing " + LoadString(g_cuts[nCut].nNameId) +
               " cut data from \"" + In(g_cuts[nCut].pszTable) + "\" file.\r\n";
    }
    std::string Moving(const std::string& strFrom, const std::string& strTo) {
        return "Moving \"" + Out(strFrom) + "\" file to \"" + Out(strTo) + "\": success.\r\n";
    }
    std::string Converted(const std::string& strName) {
        return "File was converted successfully to \"" + Out(strName) + "\".\r\n";
    }

    CRunLog m_log;
    CCutConverter m_conv{m_log, *this};
    bool m_bConverted = false;
    struct : IOutputDirStore {
        void RememberOutputDir(const std::string& strDir) override { m_strDir = strDir; }
        std::string m_strDir;
    } m_store;
    std::deque<int> m_answers;
    std::vector<SShown> m_shown;
};

TEST(ConvertCutPaths, FolderPartTableNameAndConnectionString) {
    const char* const cases[][3] = {{"/prices/rnddat.dbf", "/prices/", "rnddat"},
                                    {"rnddat.dbf", "", "rnddat"},
                                    {"/My.Data/prices", "/My.Data/", "prices"},
                                    {"/a/b.c.dbf", "/a/", "b.c"}};
    const std::string strStart = "DSN=zlmrt_conv;NULLSTARS=0;DEFAULTDIR=";
    for (auto [pszPath, pszFolder, pszTable] : cases) {
        std::string strFolder, strTable;
        SplitInputPath(pszPath, strFolder, strTable);
        EXPECT_EQ(strFolder + "|" + strTable, pszFolder + ("|" + std::string(pszTable)));
        EXPECT_EQ(ConnectionString(strFolder), strStart + pszFolder);
    }
    // A folder that would end or redirect the string is braced, "}" doubled.
    EXPECT_EQ(ConnectionString("/a;{b}c/"), strStart + "{/a;{b}}c/}");
}

// A standard name in any letter case gives the four standard names, each spelt as the
// folder holds it (tables from DOS media keep upper-case names, and the smallest spelling
// wins when there are several); any other file is the Brilliant table, as chosen.
TEST(ConvertCutPaths, StandardNamesAsTheFolderSpellsThemElseTheChosenFileIsBrilliant) {
    CTempDir dir;
    for (const char* psz : {"RNDDAT.DBF", "Peardat.dbf", "PEARDAT.DBF", "mqdat.dbf", "MQDAT.DBF"})
        WriteFile(dir.File(psz), "");
    const std::string d = dir.Path() + "/";
    using Rows = std::array<std::string, kCutCount>;
    const Rows held = {d + "RNDDAT.DBF", d + "PEARDAT.DBF", d + "mqdat.dbf", d + "emdat.dbf"};
    const std::pair<std::string, Rows> cases[] = {
        {d + "rnddat.dbf", held},
        {d + "Emdat.DBF", held},
        {d + "Round 2024.DBF", {d + "Round 2024.DBF", held[1], held[2], held[3]}},
        {d + "xrnddat.dbf", {d + "xrnddat.dbf", held[1], held[2], held[3]}},  // whole names only
        {"/no/such/PEARDAT.DBF",
         {"/no/such/rnddat.dbf", "/no/such/peardat.dbf", "/no/such/mqdat.dbf",
          "/no/such/emdat.dbf"}},
        {"Rnddat.dbf", {"rnddat.dbf", "peardat.dbf", "mqdat.dbf", "emdat.dbf"}},
    };
    for (const auto& [strChosen, rows] : cases) EXPECT_EQ(CutPathsFromChoice(strChosen), rows);
}

TEST_F(ConvertCutTest, WrongCountsAreLoggedBeforeMessage116AndWriteNothing) {
    const std::pair<int, int> cases[] = {
        {kBrilliant, 149}, {kBrilliant, 151}, {kPear, 129}, {kMarquise, 131}, {kBrilliant, 500}};
    for (auto [nCut, nRecords] : cases) {
        WriteTable(nCut, nRecords);
        Convert(nCut, {IDOK});
        const std::string strLog = Processing(nCut) + "Wrong numeber of records (" +
                                   std::to_string(std::min(nRecords, 201)) + ") in the table, " +
                                   (nCut == kBrilliant ? "150" : "130") + " records expected\r\n";
        EXPECT_EQ(m_log.Text(), strLog);
        ASSERT_EQ(m_shown.size(), 1u);
        EXPECT_EQ(m_shown[0].strText, LoadString(IDS_WRONG_RECORD_COUNT));
        EXPECT_EQ(m_shown[0].nType, unsigned{MB_OK});
        EXPECT_EQ(m_shown[0].strLogBefore, strLog);
        EXPECT_FALSE(FileExists(Out(g_cuts[nCut].pszOutput)));
    }
    EXPECT_FALSE(m_bConverted);
}

TEST_F(ConvertCutTest, FailuresAreLoggedWithTheirDescriptions) {
    Convert(kMarquise);  // no mqdat.dbf: no box
    EXPECT_EQ(m_log.Text(), Processing(kMarquise) +
                                "Cannot open DBase table, error description follows:\r\n\tTable "
                                "'mqdat' not found: no file 'mqdat.dbf' in folder '" +
                                In("") + "'\n\r\n");
    EXPECT_FALSE(m_bConverted);
    // A pipe named like the table is refused at once, not waited on.
    ASSERT_EQ(mkfifo(In("emdat.dbf").c_str(), 0644), 0);
    Convert(kEmerald);
    EXPECT_THAT(m_log.Text(), AllOf(StartsWith(Processing(kEmerald) +
                                               "Cannot open DBase table, error description "
                                               "follows:\r\n\t"),
                                    HasSubstr("not a regular file")));
    // An empty table fails while counting, and a price full of '*' (dBase's mark of a value
    // too wide for its field, never to be written as no price) while reading: the general
    // handler shows the error, then logs it, and nothing is written.
    const std::pair<int, std::string> reads[] = {
        {0, "No data found: the record set holds no records.\n"},
        {130,
         "Numeric value out of range: column 'F2' holds '************', the mark of a value "
         "too wide for its field\n"}};
    for (const auto& [nRecords, strError] : reads) {
        WriteTable(kPear, nRecords);
        const std::string strTable = In(g_cuts[kPear].pszTable);
        if (nRecords > 0)  // record 3's F2
            WriteFile(strTable, ReadFile(strTable).replace(385 + 2 * 133 + 1 + 12, 12, 12, '*'));
        Convert(kPear, {IDOK});
        ASSERT_EQ(m_shown.size(), 1u);
        EXPECT_EQ(m_shown[0].strText, strError);
        EXPECT_EQ(m_shown[0].strLogBefore, Processing(kPear));
        EXPECT_EQ(m_log.Text(), Processing(kPear) +
                                    "Unexpected error (description follows):\r\n\t" + strError +
                                    "\r\n");
        EXPECT_TRUE(std::filesystem::is_empty(Out(""))) << "a dropped file leaves nothing";
    }
    // A missing output folder is a bad path: no box, and the folder is not remembered. The
    // description is cut to 299 characters, here within its text.
    WriteTable(kBrilliant, 150);
    const size_t nFolderLength = 285 - std::string("/TrvBrill.txt").size();
    m_conv.m_strOutputDir = m_dir.File(std::string(200, 'd') + "/");
    m_conv.m_strOutputDir += std::string(nFolderLength - m_conv.m_strOutputDir.size(), 'e');
    Convert(kBrilliant);
    const std::string strPath = m_conv.m_strOutputDir + "/TrvBrill.txt";
    EXPECT_EQ(m_log.Text(), Processing(kBrilliant) + "Cannot open output file \"" + strPath +
                                "\", error follows:\r\n\t" +
                                (strPath + " contains an invalid path.").substr(0, 299) + "\r\n");
    EXPECT_TRUE(m_shown.empty());
    EXPECT_EQ(m_store.m_strDir, "");
}

// Links, and other things that are not plain files, at the output and backup names: the
// run never writes, creates or changes anything outside the output folder through them.
TEST_F(ConvertCutTest, NothingIsWrittenThroughALinkOrIntoASpecialFile) {
    namespace fs = std::filesystem;
    WriteTable(kBrilliant, 150);
    const std::string strDenied = "Cannot open output file \"" + Out("TrvBrill.txt") +
                                  "\", error follows:\r\n\tAccess to " + Out("TrvBrill.txt") +
                                  " was denied.\r\n";
    const std::string strNoBackup =
        "Cannot create a backup copy of \"" + Out("TrvBrill.txt") + "\". Canceling conversion.\r\n";
    struct SCase {
        const char* pszLink;  // a link to "outside/target" at this name in "out"
        bool bDangling;       // the target does not exist
        std::deque<int> answers;
        std::string strLog;
    } cases[] = {
        {"TrvBrill.txt", false, {}, strDenied},
        {"TrvBrill.txt", true, {}, strDenied},
        {"TrvBrill.bak", false, {IDYES, IDCANCEL}, strNoBackup},
        {"TrvBrill1.bak",
         true,
         {IDYES},
         Moving("TrvBrill.bak", "TrvBrill2.bak") + Moving("TrvBrill.txt", "TrvBrill.bak") +
             Converted("TrvBrill.txt")},
    };
    for (SCase& c : cases) {
        fs::remove_all(Out(""));
        fs::remove_all(m_dir.File("outside"));
        fs::create_directories(Out(""));
        fs::create_directories(m_dir.File("outside"));
        if (!c.bDangling) {
            WriteFile(m_dir.File("outside/target"), "outside");
            fs::permissions(m_dir.File("outside/target"), fs::perms::owner_read);
        }
        if (std::string(c.pszLink) != "TrvBrill.txt") WriteFile(Out("TrvBrill.txt"), "current");
        if (std::string(c.pszLink) == "TrvBrill1.bak") WriteFile(Out("TrvBrill.bak"), "plain");
        fs::create_symlink(m_dir.File("outside/target"), Out(c.pszLink));
        m_conv.m_bBackupConfirmed = false;
        Convert(kBrilliant, c.answers);
        EXPECT_EQ(m_log.Text(), Processing(kBrilliant) + c.strLog) << c.pszLink;
        EXPECT_EQ(fs::is_regular_file(m_dir.File("outside/target")), !c.bDangling) << c.pszLink;
        if (!c.bDangling) {
            EXPECT_EQ(ReadFile(m_dir.File("outside/target")), "outside") << c.pszLink;
            EXPECT_EQ(fs::status(m_dir.File("outside/target")).permissions(),
                      fs::perms::owner_read);
        }
        EXPECT_TRUE(fs::is_symlink(Out(c.pszLink))) << c.pszLink;
    }
    // A pipe at the output name is refused at once, never opened.
    fs::remove_all(Out(""));
    fs::create_directories(Out(""));
    ASSERT_EQ(mkfifo(Out("TrvBrill.txt").c_str(), 0644), 0);
    Convert(kBrilliant);
    EXPECT_EQ(m_log.Text(), Processing(kBrilliant) + strDenied);
}

TEST_F(ConvertCutTest, CancelAt122EndsTheCutAndNoOverwritesAReadOnlyFile) {
    WriteTable(kPear, 130);
    WriteFile(Out("TrvPear.txt"), "keep");
    std::filesystem::permissions(Out("TrvPear.txt"), std::filesystem::perms::owner_read);
    Convert(kPear, {IDCANCEL});
    EXPECT_EQ(m_log.Text(), Processing(kPear) + "Output file \"" + Out("TrvPear.txt") +
                                "\" exists, canceling conversion.\r\n");
    EXPECT_EQ(ReadFile(Out("TrvPear.txt")), "keep");
    EXPECT_FALSE(m_bConverted);
    EXPECT_EQ(m_store.m_strDir, "");
    Convert(kPear, {IDNO});  // overwritten in place, without a backup
    EXPECT_TRUE(m_bConverted);
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_EQ(m_shown[0].strText, "\"" + Out("TrvPear.txt") +
                                      "\" output file (Pear cut) already exists. Replace existing "
                                      "files and create a backup copy?\nYes - replace existing "
                                      "files and create a copy.\nNo - replace the file and do not "
                                      "create a copy.\nCancel - do not convert the cut.");
    EXPECT_EQ(m_shown[0].nType, unsigned{MB_YESNOCANCEL | MB_ICONQUESTION});
    EXPECT_EQ(m_log.Text(), Processing(kPear) + Converted("TrvPear.txt"));
    EXPECT_FALSE(FileExists(Out("TrvPear.bak")));
    EXPECT_FALSE(m_conv.m_bBackupConfirmed);
    EXPECT_EQ(m_store.m_strDir, m_dir.File("out"));
}

// Yes once: backups for this cut and, without asking again, for the later ones.
TEST_F(ConvertCutTest, YesMakesBackupsInTheLowestFreeNumberAndIsRemembered) {
    WriteTable(kBrilliant, 150);
    WriteFile(Out("TrvBrill.txt"), "first");
    Convert(kBrilliant, {IDYES});
    EXPECT_EQ(m_log.Text(), Processing(kBrilliant) + Moving("TrvBrill.txt", "TrvBrill.bak") +
                                Converted("TrvBrill.txt"));
    // Only number 2 taken: the plain backup goes to 1, then to 3.
    WriteFile(Out("TrvBrill2.bak"), "two");
    Convert(kBrilliant);
    EXPECT_EQ(m_log.Text(), Processing(kBrilliant) + Moving("TrvBrill.bak", "TrvBrill1.bak") +
                                Moving("TrvBrill.txt", "TrvBrill.bak") + Converted("TrvBrill.txt"));
    EXPECT_EQ(ReadFile(Out("TrvBrill1.bak")), "first");
    EXPECT_EQ(ReadFile(Out("TrvBrill2.bak")), "two");
    Convert(kBrilliant);
    EXPECT_THAT(m_log.Text(), HasSubstr(Moving("TrvBrill.bak", "TrvBrill3.bak")));
    // Numbers 1 to 9 taken: the last free one, 10, is used.
    for (int n = 4; n <= 9; ++n) WriteFile(Out("TrvBrill" + std::to_string(n) + ".bak"), "n");
    Convert(kBrilliant);
    EXPECT_THAT(m_log.Text(), HasSubstr(Moving("TrvBrill.bak", "TrvBrill10.bak")));
    // All ten numbered backups present: the plain backup is replaced.
    WriteTable(kEmerald, 130);
    WriteFile(Out("TrvEm.txt"), "current");
    for (int n = 0; n <= 10; ++n)
        WriteFile(Out("TrvEm" + (n ? std::to_string(n) : "") + ".bak"), "n");
    Convert(kEmerald);
    EXPECT_EQ(m_log.Text(),
              Processing(kEmerald) + Moving("TrvEm.txt", "TrvEm.bak") + Converted("TrvEm.txt"));
    EXPECT_EQ(ReadFile(Out("TrvEm.bak")), "current");
    EXPECT_FALSE(FileExists(Out("TrvEm11.bak")));
    EXPECT_TRUE(m_shown.empty()) << "asked once only, at the first run";
}

// The plain backup's name is a folder, so the copy onto it fails whoever runs the test.
TEST_F(ConvertCutTest, FailedBackupAsksWith123AndCancelKeepsTheRememberedYes) {
    WriteTable(kBrilliant, 150);
    WriteFile(Out("TrvBrill.txt"), "current");
    std::filesystem::create_directories(Out("TrvBrill.bak/sub"));
    for (int n = 1; n <= 10; ++n) WriteFile(Out("TrvBrill" + std::to_string(n) + ".bak"), "n");
    Convert(kBrilliant, {IDYES, IDCANCEL});
    ASSERT_EQ(m_shown.size(), 2u);
    EXPECT_EQ(m_shown[1].strText, "Backup copy of \"" + Out("TrvBrill.txt") +
                                      "\" file (Brilliant cut) cannot be created. Overwrite the "
                                      "file anyway?");
    EXPECT_EQ(m_shown[1].nType, unsigned{MB_OKCANCEL | MB_ICONQUESTION});
    EXPECT_EQ(m_log.Text(), Processing(kBrilliant) + "Cannot create a backup copy of \"" +
                                Out("TrvBrill.txt") + "\". Canceling conversion.\r\n");
    EXPECT_EQ(ReadFile(Out("TrvBrill.txt")), "current");
    EXPECT_FALSE(m_bConverted);
    // The next attempt asks 123 again but no longer 122; OK overwrites without a backup.
    const std::string str123 = m_shown[1].strText;
    Convert(kBrilliant, {IDOK});
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_EQ(m_shown[0].strText, str123);
    EXPECT_EQ(m_log.Text(), Processing(kBrilliant) + Converted("TrvBrill.txt"));
    EXPECT_TRUE(ReadFile(Out("TrvBrill.txt")).starts_with("; Price list for "));
}
