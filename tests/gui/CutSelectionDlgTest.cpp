// The main window driven as a user would, converting through unixODBC and our driver.
#include <filesystem>
#include <map>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/html/htmlwin.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/utils.h>

#include "app/AboutBoxDlg.h"
#include "app/OdbcEnvironment.h"
#include "convert/SafeFile.h"
#include "log/ErrorLogDlg.h"
#include "res/Templates.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/DbfWriter.h"
#include "tests/support/OdbcSandbox.h"
#include "ui/CutSelectionDlg.h"
#include "ui/WxFolderWait.h"
#include "ui/WxMessageBox.h"

namespace {

namespace tpl = cutsel_template;
const char* const kTables[kCutCount] = {"rnddat.dbf", "peardat.dbf", "mqdat.dbf", "emdat.dbf"};

class CutSelectionDlgTest : public ::testing::Test {
protected:
    // Never the working directory: price lists go to a folder of the test's own.
    CutSelectionDlgTest() { WriteProfileString(kSectionGeneral, kEntryOutputDir, m_out.Path()); }

    // The standard tables not named in `strSkip`: Brilliant's of 150 records, others 130.
    void WriteTables(const std::string& strSkip = "") {
        for (int i = 0; i < kCutCount; ++i) {
            if (strSkip.find(kTables[i]) == std::string::npos) {
                ASSERT_TRUE(WritePriceTable(m_tables.File(kTables[i]), i == 0 ? 150 : 130));
            }
        }
    }
    // Opens the window as start-up does, answering the start-up file dialog with `chosen`.
    bool Start(std::optional<std::string> chosen) {
        m_pDlg = std::make_unique<CCutSelectionDlg>(nullptr, &m_chooser);
        m_pDlg->m_strLogPath = m_logDir.File("kestrix.log");
        m_chooser.m_answers.push_back(std::move(chosen));
        return m_pDlg->InitialiseWindow(PlatformOdbcInstaller());
    }
    void Click(int nId) {
        wxCommandEvent event(wxEVT_BUTTON, nId);
        m_pDlg->ProcessWindowEvent(event);
    }
    wxTextCtrl* Edit(int nId) { return static_cast<wxTextCtrl*>(m_pDlg->FindWindow(nId)); }
    std::string Text(int nId) { return FromWx(Edit(nId)->GetValue()); }
    // The load boxes as "1010" (rows 0 and 2 ticked), after setting them so if `strSet`.
    std::string Ticks(const std::string& strSet = "") {
        std::string strTicks;
        for (int i = 0; i < kCutCount; ++i) {
            auto* pBox = static_cast<wxCheckBox*>(m_pDlg->FindWindow(tpl::IDC_LOAD + 2 * i));
            if (!strSet.empty()) pBox->SetValue(strSet[i] == '1');
            strTicks += pBox->GetValue() ? '1' : '0';
        }
        return strTicks;
    }
    std::string LogFile() { return ReadFile(m_logDir.File("kestrix.log")); }

    COdbcSandbox m_odbc;  // first: points HOME and the ODBC ini files at a sandbox
    CTempDir m_tables, m_out, m_logDir;
    CScriptedChooser m_chooser;
    CDialogScript m_dialogs;
    std::unique_ptr<CCutSelectionDlg> m_pDlg;  // last: gone before the script checks
};

TEST_F(CutSelectionDlgTest, OtherNameIsTheBrilliantTableAndMissingTablesGive103Then107) {
    WriteTables("mqdat.dbf emdat.dbf");
    ASSERT_TRUE(WritePriceTable(m_tables.File("prices-2024.dbf"), 150));
    ASSERT_TRUE(std::filesystem::create_directory(m_tables.File("mqdat.dbf")));  // unreadable
    // No remembered output folder, and a current directory that no longer exists.
    WriteProfileString(kSectionGeneral, kEntryOutputDir, "");
    CTempDir gone;
    std::filesystem::path oldDir = std::filesystem::current_path();
    std::filesystem::current_path(gone.Path());
    std::filesystem::remove(gone.Path());

    m_dialogs.ExpectMessage(IDS_NOT_ALL_FILES, wxICON_INFORMATION, wxID_OK);
    m_dialogs.ExpectMessage(IDS_NO_OUTPUT_DIR, wxICON_INFORMATION, wxID_OK);
    bool bStarted = Start(m_tables.File("prices-2024.dbf"));
    std::filesystem::current_path(oldDir);
    EXPECT_TRUE(bStarted) << "the window opens whatever was reported";
    EXPECT_EQ(Text(tpl::IDC_FILE), m_tables.File("prices-2024.dbf"));
    EXPECT_EQ(Ticks(), "1100");
    EXPECT_EQ(Text(tpl::IDC_OUTPUT_DIR), "");
}

// With our driver unregistered, the real unixODBC refuses with its general installer
// error; registered again, the start goes on to the file dialog.
TEST_F(CutSelectionDlgTest, FailedOdbcCheckOrCancelledStartUpNeverOffersTheWindow) {
    const std::string strOdbcinst = ReadFile(m_odbc.Dir() + "/odbcinst.ini");
    WriteFile(m_odbc.Dir() + "/odbcinst.ini", "");
    m_dialogs.ExpectMessage(IDS_ODBC_PROBLEM, wxICON_ERROR, wxID_OK);
    EXPECT_FALSE(Start(std::nullopt));
    EXPECT_EQ(m_pDlg->GetReturnCode(), wxID_CANCEL);
    EXPECT_TRUE(m_chooser.m_asked.empty()) << "no table asked for after the failed check";
    EXPECT_TRUE(LogFile().starts_with("Error initializing ODBC, error code 1, description"));

    WriteFile(m_odbc.Dir() + "/odbcinst.ini", strOdbcinst);
    WriteFile(m_logDir.File("kestrix.log"), "before");
    WriteProfileString(kSectionGeneral, kEntryInputDir, "/kept/");
    EXPECT_FALSE(Start(std::nullopt));
    EXPECT_EQ(m_pDlg->GetReturnCode(), wxID_CANCEL);
    EXPECT_EQ(GetProfileString(kSectionGeneral, kEntryInputDir), "/kept/");
    EXPECT_EQ(LogFile(), "before") << "a cancelled start writes no log";
}

// A standard name in any case gives the four standard tables, ticked; Browse and Change
// then keep what was typed and ticked, and OK with nothing ticked asks until cancelled.
TEST_F(CutSelectionDlgTest, StandardTablesThenBrowseAndChangeKeepUnsavedRowsAndOkAsksUntilCancel) {
    WriteTables();
    CTempDir before;
    WriteFile(before.File("RNDDAT.DBF"), "");
    WriteProfileString(kSectionGeneral, kEntryInputDir, before.Path() + "/");
    ASSERT_TRUE(Start(m_tables.File("PEARDAT.DBF")));

    // "Rnddat.dbf" is proposed as the remembered folder spells it, so it is preselected.
    EXPECT_EQ(m_chooser.m_asked[0],
              "file Select DBF file with Zelmarot data @ " + before.File("RNDDAT.DBF"));
    for (int i = 0; i < kCutCount; ++i)
        EXPECT_EQ(Text(tpl::IDC_FILE + 2 * i), m_tables.File(kTables[i]));
    EXPECT_EQ(Ticks(), "1111");
    EXPECT_EQ(GetProfileString(kSectionGeneral, kEntryInputDir), m_tables.Path() + "/");
    EXPECT_EQ(Text(tpl::IDC_OUTPUT_DIR), m_out.Path());
    // A path longer than its field shows its end, the file name, and all of it as tooltip.
    EXPECT_EQ(Edit(tpl::IDC_FILE + 2)->GetToolTipText(), Edit(tpl::IDC_FILE + 2)->GetValue());
    EXPECT_EQ(Edit(tpl::IDC_FILE + 2)->GetInsertionPoint(),
              Edit(tpl::IDC_FILE + 2)->GetLastPosition());
    Edit(tpl::IDC_FILE)->SetValue("/typed/by/hand.dbf");  // as typed: the tooltip follows
    EXPECT_EQ(Edit(tpl::IDC_FILE)->GetToolTipText(), "/typed/by/hand.dbf");
    Ticks("1001");
    m_chooser.m_answers.insert(m_chooser.m_answers.end(),
                               {std::nullopt, "/new/pear.dbf", "/chosen/folder", std::nullopt});
    Click(tpl::IDC_BROWSE + 1);  // cancelled: nothing changes
    EXPECT_EQ(Ticks(), "1001");
    Click(tpl::IDC_BROWSE + 1);
    EXPECT_EQ(m_chooser.m_asked.back(),
              "file Select DBF file for Pear cut @ " + m_tables.File("peardat.dbf"));
    EXPECT_EQ(Text(tpl::IDC_FILE + 2), "/new/pear.dbf");
    EXPECT_EQ(Text(tpl::IDC_FILE), "/typed/by/hand.dbf");
    EXPECT_EQ(Ticks(), "1101");

    Edit(tpl::IDC_FILE + 4)->ChangeValue("/typed/marquise.dbf");
    Ticks("0110");
    const std::string strAsk =
        "folder Select the output folder.\nConverted price lists will be placed there. @ ";
    Click(tpl::IDC_CHANGE_OUTPUT);
    EXPECT_EQ(m_chooser.m_asked.back(), strAsk + m_out.Path()) << "opens at the current folder";
    Click(tpl::IDC_CHANGE_OUTPUT);  // cancelled
    EXPECT_EQ(m_chooser.m_asked.back(), strAsk + "/chosen/folder");
    EXPECT_EQ(Text(tpl::IDC_OUTPUT_DIR), "/chosen/folder");
    EXPECT_EQ(Text(tpl::IDC_FILE + 4), "/typed/marquise.dbf");
    EXPECT_EQ(Ticks(), "0110");
    EXPECT_EQ(GetProfileString(kSectionGeneral, kEntryOutputDir), m_out.Path())
        << "remembered only once a conversion writes there";

    Ticks("0000");
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

// The first attempt finds the output folder held by another run: after its question the
// window says that it waits, takes no input meanwhile, and each wait's Cancel gives up
// that cut only; the second attempt finds the folder free.
TEST_F(CutSelectionDlgTest, FailingCutShowsThisAttemptsLogAndOneYesToReplaceHoldsForAll) {
    WriteTables("peardat.dbf");
    WriteFile(m_out.File("TrvBrill.txt"), "old brilliant\r\n");
    WriteFile(m_out.File("TrvMarq.txt"), "old marquise\r\n");
    m_dialogs.ExpectMessage(IDS_NOT_ALL_FILES, wxICON_INFORMATION, wxID_OK);
    ASSERT_TRUE(Start(m_tables.File("rnddat.dbf")));
    m_pDlg->Show();
    Ticks("1110");  // Pear ticked by hand although its table is missing
    m_dialogs.Expect<wxMessageDialogBase>(
        "message 122 for Brilliant", wxID_YES,
        [](wxMessageDialogBase&) { EXPECT_FALSE(wxIsBusy()) << "asked under a wait cursor"; });
    CFolderLock lock(m_out.Path());
    ASSERT_TRUE(lock.TryLock());
    int nCancelled = 0;  // Brilliant's wait, then Marquise's
    wxTimer poll;        // fires while the run yields to the toolkit in its wait
    poll.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        wxWindow* pWait = wxWindow::FindWindowByName(kFolderWaitName);
        if (!pWait || nCancelled == 2) return;
        EXPECT_FALSE(wxIsBusy()) << "Cancel under a wait cursor";
        EXPECT_FALSE(m_pDlg->IsEnabled()) << "the main window takes input while waiting";
        pWait->SetName("cancelled");
        wxCommandEvent event(wxEVT_BUTTON, wxID_CANCEL);
        pWait->FindWindow(wxID_CANCEL)->ProcessWindowEvent(event);
        if (++nCancelled == 2) lock.Unlock();  // lets the next attempt in
    });
    poll.Start(20);
    std::string strShown, strPrevious;
    const std::string strBusy = "Output folder \"" + m_out.Path() +
                                "\" is busy with another conversion, canceling conversion.\r\n";
    for (int nAttempt = 0; nAttempt < 2; ++nAttempt) {  // no more questions after that Yes
        SCOPED_TRACE(nAttempt);
        m_dialogs.ExpectMessage(IDS_CONVERSION_FAILED, wxICON_ERROR, wxID_OK);
        m_dialogs.Expect<CErrorLogDlg>("Error log window", wxID_OK, [&](CErrorLogDlg& dlg) {
            EXPECT_EQ(dlg.GetParent(), m_pDlg.get());
            strShown = dlg.m_strText;
        });
        Click(wxID_OK);
        EXPECT_EQ(m_pDlg->GetReturnCode(), 0) << "the window stays open";
        EXPECT_TRUE(m_pDlg->IsEnabled());
        EXPECT_EQ(LogFile(), strShown);
        // The first attempt gave up Brilliant's wait and Marquise's; each log is its own.
        EXPECT_EQ(strShown.find(strBusy) < strShown.size() - strBusy.size() &&
                      strShown.ends_with(strBusy),
                  nAttempt == 0)
            << strShown;
        if (nAttempt) {
            EXPECT_EQ(strShown.find(strPrevious), std::string::npos) << "only this one's";
        }
        strPrevious = strShown;
    }
    EXPECT_EQ(nCancelled, 2);
    EXPECT_FALSE(wxWindow::FindWindowByName(kFolderWaitName));
    // Both cuts were given up at first, then backed up by the second attempt.
    EXPECT_EQ(ReadFile(m_out.File("TrvBrill.bak")), "old brilliant\r\n");
    EXPECT_EQ(ReadFile(m_out.File("TrvMarq.bak")), "old marquise\r\n");
    EXPECT_FALSE(FileExists(m_out.File("TrvEm.txt"))) << "an unticked cut is not converted";
    EXPECT_EQ(Ticks(), "1110");
    EXPECT_FALSE(wxIsBusy());
}

TEST_F(CutSelectionDlgTest, HelpShowsThePageOrSaysWhyItCannot) {
    m_pDlg = std::make_unique<CCutSelectionDlg>(nullptr, &m_chooser);
    WriteFile(m_tables.File("help.html"), "<p>How to convert</p>");
    WriteFile(m_tables.File("empty.html"), "");
    m_dialogs.Expect<wxDialog>("help viewer", wxID_CLOSE, [](wxDialog& dlg) {
        EXPECT_EQ(FromWx(dlg.GetTitle()), AppName() + " Help");
        EXPECT_GT(dlg.GetIcons().GetIconCount(), 0u);
        auto* pPage = dynamic_cast<wxHtmlWindow*>(dlg.GetChildren().GetFirst()->GetData());
        ASSERT_TRUE(pPage);
        EXPECT_NE(FromWx(pPage->ToText()).find("How to convert"), std::string::npos);
    });
    for (auto [strName, strWhy] : {std::pair<std::string, std::string>{"help.html", ""},
                                   {"none.html", "No such file or directory"},
                                   {".", "Is a directory"},
                                   {"empty.html", "the page is empty"}}) {
        m_pDlg->m_strHelpPath = m_tables.File(strName);
        if (!strWhy.empty()) {
            m_dialogs.Expect<wxMessageDialogBase>(strName, wxID_OK, [&](wxMessageDialogBase& box) {
                EXPECT_EQ(
                    FromWx(box.GetMessage()),
                    "Cannot show the help page " + m_pDlg->m_strHelpPath + ": " + strWhy + ".");
                EXPECT_TRUE(box.GetMessageDialogStyle() & wxICON_ERROR);
            });
        }
        Click(wxID_HELP);
    }
}

// At the sizes this platform's theme gives them, every control is whole, inside its
// window and clear of every other control; so too in the main window widened, where the
// path fields take the extra width. It is never smaller than its template or taller.
TEST(WindowLayout, NoControlIsCutOffOrCoversAnother) {
    CScriptedChooser chooser;
    CCutSelectionDlg main(nullptr, &chooser);
    CErrorLogDlg errorLog(nullptr);
    CAboutBoxDlg about(nullptr);
    const wxSize initial = main.GetSize();
    const wxRect file = main.FindWindow(tpl::IDC_FILE)->GetRect();
    const std::pair<wxDialog*, int> passes[] = {
        {&errorLog, 0}, {&about, 0}, {&main, 0}, {&main, 200}};
    for (auto [pDlg, nWider] : passes) {
        pDlg->Show();
        if (nWider) main.SetSize(initial.x + nWider, initial.y + 100);
        for (int i = 0; i < 100 && nWider && main.GetSize() == initial; ++i) wxYield();
        wxYield();
        EXPECT_TRUE(pDlg == &main || pDlg->GetIcons().GetIconCount() > 0) << "no program icon";
        std::vector<wxWindow*> ctrls(pDlg->GetChildren().begin(), pDlg->GetChildren().end());
        for (size_t i = 0; i < ctrls.size(); ++i) {
            SCOPED_TRACE(FromWx(pDlg->GetTitle() + ": " + ctrls[i]->GetLabel()));
            const wxRect rc = ctrls[i]->GetRect();
            const wxSize best = ctrls[i]->GetBestSize();
            EXPECT_TRUE(wxRect(pDlg->GetClientSize()).Contains(rc));
            // The log edit scrolls; everything else shows all of itself.
            EXPECT_TRUE(ctrls[i]->HasFlag(wxTE_MULTILINE) ||
                        (rc.width >= best.x && rc.height >= best.y));
            for (size_t j = i + 1; j < ctrls.size(); ++j)
                EXPECT_FALSE(rc.Intersects(ctrls[j]->GetRect())) << FromWx(ctrls[j]->GetLabel());
        }
    }
    EXPECT_EQ(main.GetMinSize(), initial);
    EXPECT_EQ(main.GetSize(), wxSize(initial.x + 200, initial.y));
    EXPECT_EQ(main.FindWindow(tpl::IDC_FILE)->GetRect(),
              wxRect(file.x, file.y, file.width + 200, file.height));
}

TEST(MessageBox, EscapeOrTheCloseBoxGivesOneOfTheBoxsOwnAnswers) {  // wx: wxID_CANCEL
    for (auto [nType, nAnswer] : {std::pair{MB_OK, IDOK},
                                  {MB_YESNO, IDNO},
                                  {MB_OKCANCEL, IDCANCEL},
                                  {MB_YESNOCANCEL, IDCANCEL}})
        EXPECT_EQ(MessageBoxAnswer(nType, wxID_CANCEL), nAnswer) << nType;
}

// The folder browser shows its instruction inside the window, with the program's icon,
// and opens at the folder it is given.
TEST(FolderBrowser, ShowsItsInstructionAndOpensAtTheGivenFolder) {
    CTempDir dir;
    CDialogScript dialogs;
    const std::string strInstruction = LoadString(IDS_SELECT_OUTPUT_DIR);
    dialogs.Expect<wxDialog>("folder browser", wxID_OK, [&](wxDialog& dlg) {
        EXPECT_EQ(FromWx(dlg.GetTitle()), AppName());
        EXPECT_GT(dlg.GetIcons().GetIconCount(), 0u);
        bool bShown = false;
        for (wxWindow* pChild : dlg.GetChildren())
            bShown |= dynamic_cast<wxStaticText*>(pChild) && pChild->GetLabel() == strInstruction;
        EXPECT_TRUE(bShown);
    });
    dialogs.Expect<wxDialog>("folder browser", wxID_CANCEL);
    CWxFileChooser chooser(nullptr);
    EXPECT_EQ(chooser.ChooseFolder(strInstruction, dir.Path()), dir.Path());
    EXPECT_EQ(chooser.ChooseFolder(strInstruction, dir.Path()), std::nullopt);
}

// As on Windows: Yes, No, Cancel from left to right, the first the default, Y and N
// pressing theirs without Alt, and the program's icon on the box.
TEST(MessageBox, ButtonsInTheOrderOfTheTextAndTheYAndNKeys) {
    CDialogScript dialogs;
    for (int nKey : {'Y', 'N'}) {
        dialogs.Expect<wxMessageDialogBase>("question", wxID_CANCEL, [&](wxMessageDialogBase& box) {
            std::map<int, wxWindow*> byX;
            for (wxWindow* pChild : box.GetChildren())
                if (dynamic_cast<wxButton*>(pChild)) byX[pChild->GetPosition().x] = pChild;
            std::vector<int> ids;
            for (auto [x, pButton] : byX) ids.push_back(pButton->GetId());
            EXPECT_EQ(ids, (std::vector<int>{wxID_YES, wxID_NO, wxID_CANCEL}));
            EXPECT_EQ(box.GetDefaultItem(), byX.begin()->second);
            EXPECT_GT(box.GetIcons().GetIconCount(), 0u);
            wxKeyEvent key(wxEVT_CHAR_HOOK);
            key.m_keyCode = nKey;
            box.ProcessWindowEvent(key);
            EXPECT_EQ(box.GetReturnCode(), nKey == 'Y' ? wxID_YES : wxID_NO);
        });
        CWxMessageBox(nullptr).MessageBox("Replace?", MB_YESNOCANCEL | MB_ICONQUESTION);
    }
}

}  // namespace
