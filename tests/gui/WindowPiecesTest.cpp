// The message boxes' buttons, icons, answers and caption, and the Error log window.
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

#include "log/ErrorLogDlg.h"
#include "log/RunLog.h"
#include "res/Templates.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/TempDir.h"
#include "ui/Settings.h"
#include "ui/WxMessageBox.h"
#include "ui/WxText.h"

namespace {

TEST(MessageBox, ButtonsAndIconsFollowTheType) {
    EXPECT_EQ(MessageBoxStyle(MB_OK | MB_ICONSTOP), wxOK | wxICON_ERROR);
    EXPECT_EQ(MessageBoxStyle(MB_OK | MB_ICONINFORMATION), wxOK | wxICON_INFORMATION);
    EXPECT_EQ(MessageBoxStyle(MB_YESNOCANCEL | MB_ICONQUESTION),
              wxYES_NO | wxCANCEL | wxICON_QUESTION);
    // Buttons named without an icon show the exclamation icon.
    EXPECT_EQ(MessageBoxStyle(MB_OKCANCEL), wxOK | wxCANCEL | wxICON_EXCLAMATION);
    EXPECT_EQ(MessageBoxStyle(MB_YESNO), wxYES_NO | wxICON_EXCLAMATION);
}

TEST(MessageBox, ClosingWithoutAButtonGivesOneOfTheBoxsOwnAnswers) {
    // wx reports Escape and the close box as wxID_CANCEL.
    EXPECT_EQ(MessageBoxAnswer(MB_OK, wxID_CANCEL), IDOK);
    EXPECT_EQ(MessageBoxAnswer(MB_YESNO, wxID_CANCEL), IDNO);
    EXPECT_EQ(MessageBoxAnswer(MB_OKCANCEL, wxID_CANCEL), IDCANCEL);
    EXPECT_EQ(MessageBoxAnswer(MB_YESNOCANCEL, wxID_CANCEL), IDCANCEL);
    EXPECT_EQ(MessageBoxAnswer(MB_YESNOCANCEL, wxID_YES), IDYES);
    EXPECT_EQ(MessageBoxAnswer(MB_YESNOCANCEL, wxID_NO), IDNO);
    EXPECT_EQ(MessageBoxAnswer(MB_OKCANCEL, wxID_OK), IDOK);
}

// Run once directly and once by the test below from a renamed copy of this executable.
TEST(MessageBox, CaptionAndSettingsFileFollowTheExecutableName) {
    const char* pszExpected = std::getenv("KESTRIX_EXPECTED_APPNAME");
    std::string strExpected = pszExpected ? pszExpected : "kestrix_gui_tests";
    std::string strCaption;
    {
        CDialogScript dialogs;
        dialogs.ExpectDialog<wxMessageDialog>(
            "a box", wxID_OK, [&](wxMessageDialog& box) { strCaption = FromWx(box.GetCaption()); });
        CWxMessageBox box(nullptr);
        EXPECT_EQ(box.MessageBox("text", MB_OK), IDOK);
    }
    EXPECT_EQ(strCaption, strExpected);

    WriteProfileString(kSectionGeneral, kEntryInputDir, "/in/");
    std::string strIni = std::string(std::getenv("XDG_CONFIG_HOME")) +
                         "/Tarvesk Software/kestrix/" + strExpected + ".ini";
    EXPECT_TRUE(FileExists(strIni)) << strIni;
}

TEST(MessageBox, RenamedExecutableRenamesCaptionAndSettingsFile) {
    if (std::getenv("KESTRIX_EXPECTED_APPNAME")) GTEST_SKIP() << "already the renamed copy";
    CTempDir dir;
    std::string strCopy = dir.File("pricer");
    std::filesystem::copy_file(ExecutablePath(), strCopy);
    ASSERT_EQ(chmod(strCopy.c_str(), 0755), 0);
    std::string strCommand =
        "KESTRIX_EXPECTED_APPNAME=pricer '" + strCopy +
        "' --gtest_filter=MessageBox.CaptionAndSettingsFileFollowTheExecutableName"
        " > '" +
        dir.File("out.txt") + "' 2>&1";
    EXPECT_EQ(std::system(strCommand.c_str()), 0) << ReadFile(dir.File("out.txt"));
}

TEST(ErrorLogDlg, ShowsTheLogLineByLineWithItsIndentationAndNoCarriageReturns) {
    EXPECT_EQ(FromWx(LogForDisplay("Cannot open:\r\n\tNo such table\r\nbare\rcr\n")),
              "Cannot open:\n\tNo such table\nbare\rcr\n");

    CErrorLogDlg dlg(nullptr);
    dlg.m_strText = "---------------\r\nline\r\n";
    dlg.TransferDataToWindow();
    auto* pText = static_cast<wxTextCtrl*>(dlg.FindWindow(errorlog_template::IDC_LOG_TEXT));
    ASSERT_NE(pText, nullptr);
    EXPECT_EQ(FromWx(pText->GetValue()), "---------------\nline\n");
    EXPECT_FALSE(pText->IsEditable());
    EXPECT_TRUE(pText->IsMultiLine());
}

}  // namespace
