// The cut selection dialog driven as a user would: start-up choice, Browse, Change and OK,
// with real tables converted through the unixODBC driver manager and our driver.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

#include "app/AboutBoxDlg.h"
#include "app/OdbcEnvironment.h"
#include "log/ErrorLogDlg.h"
#include "res/Strings.h"
#include "res/Templates.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/DbfWriter.h"
#include "tests/support/OdbcSandbox.h"
#include "tests/support/TempDir.h"
#include "ui/CutSelectionDlg.h"
#include "ui/Settings.h"
#include "ui/WxText.h"

namespace tpl = cutsel_template;

namespace {

class CFailingInstaller : public IOdbcInstaller {
public:
    bool DriverManagerPresent() override { return true; }
    bool ConfigDataSource(int, const std::string&, const std::string&) override { return false; }
    int InstallerError(int, uint32_t& nCode, std::string& strMessage, int) override {
        nCode = 13;
        strMessage = "Could not load the setup library";
        return 0;
    }
};

size_t CountOf(const std::string& strText, const std::string& strPart) {
    size_t n = 0;
    for (size_t pos = strText.find(strPart); pos != std::string::npos;
         pos = strText.find(strPart, pos + 1))
        ++n;
    return n;
}

class CutSelectionDlgTest : public ::testing::Test {
protected:
    CutSelectionDlgTest() {
        // Never the working directory: price lists go to a folder of the test's own.
        WriteProfileString(kSectionGeneral, kEntryOutputDir, m_out.Path());
    }

    // Writes standard tables (or any name, with Brilliant's 150 records) into m_tables.
    void WriteTables(std::initializer_list<const char*> names) {
        for (const char* pszName : names) {
            int nRecords = std::string(pszName) == "peardat.dbf" ||
                                   std::string(pszName) == "mqdat.dbf" ||
                                   std::string(pszName) == "emdat.dbf"
                               ? 130
                               : 150;
            ASSERT_TRUE(WritePriceTable(m_tables.File(pszName), nRecords)) << pszName;
        }
    }
    void WriteAllTables() { WriteTables({"rnddat.dbf", "peardat.dbf", "mqdat.dbf", "emdat.dbf"}); }

    // Opens the window as start-up does, answering the start-up file dialog with `chosen`.
    bool Start(std::optional<std::string> chosen, IOdbcInstaller* pInstaller = nullptr) {
        m_pDlg = std::make_unique<CCutSelectionDlg>(nullptr, &m_chooser);
        m_pDlg->m_strLogPath = m_logDir.File("kestrix.log");
        m_chooser.AnswerFile(std::move(chosen));
        return m_pDlg->InitialiseWindow(pInstaller ? *pInstaller : PlatformOdbcInstaller());
    }

    void Click(int nId) {
        wxCommandEvent event(wxEVT_BUTTON, nId);
        m_pDlg->ProcessWindowEvent(event);
    }
    wxCheckBox* LoadBox(int nRow) {
        return static_cast<wxCheckBox*>(m_pDlg->FindWindow(tpl::IDC_LOAD + 2 * nRow));
    }
    wxTextCtrl* FileEdit(int nRow) {
        return static_cast<wxTextCtrl*>(m_pDlg->FindWindow(tpl::IDC_FILE + 2 * nRow));
    }
    std::string OutputDirShown() {
        return FromWx(
            static_cast<wxTextCtrl*>(m_pDlg->FindWindow(tpl::IDC_OUTPUT_DIR))->GetValue());
    }
    std::string LogFile() { return ReadFile(m_logDir.File("kestrix.log")); }

    COdbcSandbox m_odbc;  // first: points HOME and the ODBC ini files at a sandbox
    CTempDir m_tables, m_out, m_logDir;
    CScriptedChooser m_chooser;
    CDialogScript m_dialogs;
    std::unique_ptr<CCutSelectionDlg> m_pDlg;  // last: gone before the script checks
};

TEST_F(CutSelectionDlgTest, StandardNameInAnyCaseGivesTheFourStandardTablesTicked) {
    WriteAllTables();
    WriteTables({"PEARDAT.DBF"});
    ASSERT_TRUE(Start(m_tables.File("PEARDAT.DBF")));

    ASSERT_EQ(m_chooser.m_fileQuestions.size(), 1u);
    EXPECT_EQ(m_chooser.m_fileQuestions[0].strTitle, "Select DBF file with Zelmarot data");
    EXPECT_EQ(m_chooser.m_fileQuestions[0].strInitial, "Rnddat.dbf");
    const char* names[] = {"rnddat.dbf", "peardat.dbf", "mqdat.dbf", "emdat.dbf"};
    for (int i = 0; i < kCutCount; ++i) {
        EXPECT_EQ(FromWx(FileEdit(i)->GetValue()), m_tables.File(names[i]));
        EXPECT_TRUE(LoadBox(i)->GetValue()) << names[i];
    }
    EXPECT_EQ(GetProfileString(kSectionGeneral, kEntryInputDir), m_tables.Path() + "/");
    EXPECT_EQ(OutputDirShown(), m_out.Path());
}

TEST_F(CutSelectionDlgTest, RememberedInputFolderIsWhereTheStartUpDialogOpens) {
    WriteAllTables();
    WriteProfileString(kSectionGeneral, kEntryInputDir, "/somewhere/else/");
    ASSERT_TRUE(Start(m_tables.File("emdat.dbf")));
    EXPECT_EQ(m_chooser.m_fileQuestions[0].strInitial, "/somewhere/else/Rnddat.dbf");
}

TEST_F(CutSelectionDlgTest, OtherNameIsTheBrilliantTableAndMissingTablesGive103Then107) {
    WriteTables({"prices-2024.dbf", "peardat.dbf", "emdat.dbf"});
    ASSERT_EQ(mkdir(m_tables.File("mqdat.dbf").c_str(), 0755), 0);  // a folder cannot be read
    WriteProfileString(kSectionGeneral, kEntryOutputDir, "");
    // No remembered output folder and no current directory to fall back on.
    CTempDir gone;
    std::string strGone = gone.File("gone");
    ASSERT_EQ(mkdir(strGone.c_str(), 0755), 0);
    char szOldDir[4096];
    ASSERT_NE(getcwd(szOldDir, sizeof szOldDir), nullptr);
    ASSERT_EQ(chdir(strGone.c_str()), 0);
    ASSERT_EQ(rmdir(strGone.c_str()), 0);

    m_dialogs.ExpectMessage(IDS_NOT_ALL_FILES, wxICON_INFORMATION, wxID_OK);
    m_dialogs.ExpectMessage(IDS_NO_OUTPUT_DIR, wxICON_INFORMATION, wxID_OK);
    bool bStarted = Start(m_tables.File("prices-2024.dbf"));
    ASSERT_EQ(chdir(szOldDir), 0);

    EXPECT_TRUE(bStarted) << "the window opens whatever was reported";
    EXPECT_EQ(m_pDlg->m_strFile[0], m_tables.File("prices-2024.dbf"));
    EXPECT_EQ(m_pDlg->m_strFile[2], m_tables.File("mqdat.dbf"));
    bool expected[] = {true, true, false, true};
    for (int i = 0; i < kCutCount; ++i) EXPECT_EQ(LoadBox(i)->GetValue(), expected[i]) << i;
    EXPECT_EQ(OutputDirShown(), "");
}

TEST_F(CutSelectionDlgTest, CancellingTheStartUpDialogEndsQuietlyAndRemembersNothing) {
    WriteProfileString(kSectionGeneral, kEntryInputDir, "/kept/");
    EXPECT_FALSE(Start(std::nullopt));
    EXPECT_EQ(m_pDlg->GetReturnCode(), wxID_CANCEL);
    EXPECT_EQ(GetProfileString(kSectionGeneral, kEntryInputDir), "/kept/");
    EXPECT_FALSE(FileExists(m_logDir.File("kestrix.log")));
}

TEST_F(CutSelectionDlgTest, FailedOdbcCheckTellsTheUserWritesTheLogAndNeverAsksForATable) {
    CFailingInstaller installer;
    m_dialogs.ExpectMessage(IDS_ODBC_LOAD_FAILED, wxICON_ERROR, wxID_OK);
    m_pDlg = std::make_unique<CCutSelectionDlg>(nullptr, &m_chooser);
    m_pDlg->m_strLogPath = m_logDir.File("kestrix.log");
    EXPECT_FALSE(m_pDlg->InitialiseWindow(installer));
    EXPECT_EQ(m_pDlg->GetReturnCode(), wxID_CANCEL);
    EXPECT_TRUE(m_chooser.m_fileQuestions.empty());
    EXPECT_EQ(LogFile(),
              "Error initializing ODBC, error code 13, description follows:\r\n"
              "\tCould not load the setup library\r\n");
}

TEST_F(CutSelectionDlgTest, BrowseChangesItsRowAndKeepsEditsInTheOthers) {
    WriteAllTables();
    ASSERT_TRUE(Start(m_tables.File("rnddat.dbf")));
    FileEdit(0)->ChangeValue("/typed/by/hand.dbf");
    LoadBox(2)->SetValue(false);
    LoadBox(1)->SetValue(false);

    m_chooser.AnswerFile(std::nullopt);  // a cancelled Browse changes nothing
    Click(tpl::IDC_BROWSE + 1);
    EXPECT_FALSE(LoadBox(1)->GetValue());
    EXPECT_EQ(FromWx(FileEdit(0)->GetValue()), "/typed/by/hand.dbf");

    m_chooser.AnswerFile("/new/pear.dbf");
    Click(tpl::IDC_BROWSE + 1);
    ASSERT_EQ(m_chooser.m_fileQuestions.size(), 3u);
    EXPECT_EQ(m_chooser.m_fileQuestions[2].strTitle, "Select DBF file for Pear cut");
    EXPECT_EQ(m_chooser.m_fileQuestions[2].strInitial, m_tables.File("peardat.dbf"));
    EXPECT_EQ(FromWx(FileEdit(1)->GetValue()), "/new/pear.dbf");
    EXPECT_TRUE(LoadBox(1)->GetValue());
    EXPECT_EQ(FromWx(FileEdit(0)->GetValue()), "/typed/by/hand.dbf");
    EXPECT_FALSE(LoadBox(2)->GetValue());
    EXPECT_EQ(GetProfileString(kSectionGeneral, kEntryInputDir), m_tables.Path() + "/");
}

TEST_F(CutSelectionDlgTest, ChangeOpensAtTheOutputFolderAndCancelKeepsIt) {
    WriteAllTables();
    ASSERT_TRUE(Start(m_tables.File("rnddat.dbf")));
    FileEdit(3)->ChangeValue("/typed.dbf");

    m_chooser.AnswerFolder(std::nullopt);
    Click(tpl::IDC_CHANGE_OUTPUT);
    EXPECT_EQ(OutputDirShown(), m_out.Path());

    m_chooser.AnswerFolder("/chosen/folder");
    Click(tpl::IDC_CHANGE_OUTPUT);
    ASSERT_EQ(m_chooser.m_folderQuestions.size(), 2u);
    EXPECT_EQ(m_chooser.m_folderQuestions[1].strTitle, LoadString(IDS_SELECT_OUTPUT_DIR));
    EXPECT_EQ(m_chooser.m_folderQuestions[1].strInitial, m_out.Path());
    EXPECT_EQ(OutputDirShown(), "/chosen/folder");
    EXPECT_EQ(FromWx(FileEdit(3)->GetValue()), "/typed.dbf");
    // Remembered only once a conversion writes there.
    EXPECT_EQ(GetProfileString(kSectionGeneral, kEntryOutputDir), m_out.Path());
}

TEST_F(CutSelectionDlgTest, OkWithNothingTickedAsksAndOnlyCancelEndsTheWindow) {
    WriteAllTables();
    ASSERT_TRUE(Start(m_tables.File("rnddat.dbf")));
    for (int i = 0; i < kCutCount; ++i) LoadBox(i)->SetValue(false);
    m_pDlg->AppendLog("left from before\r\n");

    m_dialogs.ExpectMessage(IDS_NO_CUT_SELECTED, wxICON_EXCLAMATION, wxID_OK);
    Click(wxID_OK);
    EXPECT_EQ(m_pDlg->GetReturnCode(), 0) << "OK keeps the window open";
    EXPECT_EQ(m_pDlg->m_log.m_strLog, "") << "the attempt still empties the run log";
    EXPECT_FALSE(FileExists(m_logDir.File("kestrix.log")));

    m_dialogs.ExpectMessage(IDS_NO_CUT_SELECTED, wxICON_EXCLAMATION, wxID_CANCEL);
    Click(wxID_OK);
    EXPECT_EQ(m_pDlg->GetReturnCode(), wxID_CANCEL);
}

TEST_F(CutSelectionDlgTest, SuccessfulOkConvertsEveryTickedCutAndEndsWithOk) {
    WriteAllTables();
    ASSERT_TRUE(Start(m_tables.File("rnddat.dbf")));
    LoadBox(2)->SetValue(false);

    m_dialogs.ExpectMessage(IDS_CONVERSION_DONE, wxICON_INFORMATION, wxID_OK);
    Click(wxID_OK);
    EXPECT_EQ(m_pDlg->GetReturnCode(), wxID_OK);
    EXPECT_TRUE(FileExists(m_out.File("TrvBrill.txt")));
    EXPECT_TRUE(FileExists(m_out.File("TrvPear.txt")));
    EXPECT_FALSE(FileExists(m_out.File("TrvMarq.txt")));
    EXPECT_TRUE(FileExists(m_out.File("TrvEm.txt")));
    EXPECT_EQ(LogFile(), m_pDlg->m_log.m_strLog);
    EXPECT_EQ(CountOf(LogFile(), "---------------\r\n"), 3u);
}

TEST_F(CutSelectionDlgTest, FailingCutInTheMiddleShowsTheErrorLogOfThisAttemptOnly) {
    WriteTables({"rnddat.dbf", "mqdat.dbf", "emdat.dbf"});  // no Pear table
    m_dialogs.ExpectMessage(IDS_NOT_ALL_FILES, wxICON_INFORMATION, wxID_OK);
    ASSERT_TRUE(Start(m_tables.File("rnddat.dbf")));
    LoadBox(1)->SetValue(true);  // ticked by hand although its table is missing
    LoadBox(3)->SetValue(false);

    for (int nAttempt = 0; nAttempt < 2; ++nAttempt) {
        if (nAttempt == 1) {
            // The first attempt's files exist now: each converted cut asks to replace.
            m_dialogs.ExpectDialog<wxMessageDialog>("message 122 for Brilliant", wxID_NO);
            m_dialogs.ExpectDialog<wxMessageDialog>("message 122 for Marquise", wxID_NO);
        }
        std::string strShown;
        m_dialogs.ExpectMessage(IDS_CONVERSION_FAILED, wxICON_ERROR, wxID_OK);
        m_dialogs.ExpectDialog<CErrorLogDlg>("Error log window", wxID_OK, [&](CErrorLogDlg& dlg) {
            EXPECT_EQ(dlg.GetParent(), m_pDlg.get());
            strShown = dlg.m_strText;
        });
        Click(wxID_OK);
        EXPECT_EQ(m_pDlg->GetReturnCode(), 0) << "the window stays open";
        EXPECT_EQ(strShown, m_pDlg->m_log.m_strLog);
        EXPECT_EQ(LogFile(), strShown);
        EXPECT_EQ(CountOf(strShown, "---------------\r\n"), 3u) << "three cuts of this attempt";
        EXPECT_NE(strShown.find("Marquise"), std::string::npos) << "later cuts still run";
    }
    EXPECT_TRUE(FileExists(m_out.File("TrvMarq.txt")));
    bool expected[] = {true, true, true, false};
    for (int i = 0; i < kCutCount; ++i) EXPECT_EQ(LoadBox(i)->GetValue(), expected[i]) << i;
}

}  // namespace

namespace {

size_t FileCount(const std::string& strDir) {
    size_t n = 0;
    for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(strDir)) ++n;
    return n;
}

TEST_F(CutSelectionDlgTest, YesToReplaceIsRememberedForLaterCutsAndLaterAttempts) {
    WriteTables({"rnddat.dbf", "peardat.dbf", "emdat.dbf"});  // no Marquise: keeps it open
    WriteFile(m_out.File("TrvBrill.txt"), "old brilliant\r\n");
    WriteFile(m_out.File("TrvPear.txt"), "old pear\r\n");
    m_dialogs.ExpectMessage(IDS_NOT_ALL_FILES, wxICON_INFORMATION, wxID_OK);
    ASSERT_TRUE(Start(m_tables.File("rnddat.dbf")));
    LoadBox(2)->SetValue(true);
    LoadBox(3)->SetValue(false);

    m_dialogs.ExpectDialog<wxMessageDialog>("message 122", wxID_YES, [](wxMessageDialog& box) {
        EXPECT_NE(FromWx(box.GetMessage()).find("Brilliant cut"), std::string::npos);
    });
    m_dialogs.ExpectMessage(IDS_CONVERSION_FAILED, wxICON_ERROR, wxID_OK);
    m_dialogs.ExpectDialog<CErrorLogDlg>("Error log window", wxID_OK);
    Click(wxID_OK);
    EXPECT_EQ(ReadFile(m_out.File("TrvBrill.bak")), "old brilliant\r\n");
    EXPECT_EQ(ReadFile(m_out.File("TrvPear.bak")), "old pear\r\n");
    size_t nFilesAfterFirst = FileCount(m_out.Path());

    // No question this time: both files are replaced and backed up again.
    m_dialogs.ExpectMessage(IDS_CONVERSION_FAILED, wxICON_ERROR, wxID_OK);
    m_dialogs.ExpectDialog<CErrorLogDlg>("Error log window", wxID_OK);
    Click(wxID_OK);
    EXPECT_GT(FileCount(m_out.Path()), nFilesAfterFirst) << "older backups moved aside";
    EXPECT_TRUE(m_pDlg->m_converter.m_bBackupConfirmed);
}

TEST_F(CutSelectionDlgTest, AboutItemOfTheContextMenuOpensTheAboutBox) {
    WriteAllTables();
    ASSERT_TRUE(Start(m_tables.File("rnddat.dbf")));
    m_dialogs.ExpectDialog<CAboutBoxDlg>("About box", wxID_OK, [&](CAboutBoxDlg& dlg) {
        EXPECT_EQ(FromWx(dlg.GetTitle()), "About kestrix");
    });
    wxCommandEvent event(wxEVT_MENU, IDM_ABOUTBOX);
    m_pDlg->ProcessWindowEvent(event);
    EXPECT_EQ(m_pDlg->GetReturnCode(), 0);
}

}  // namespace
