#include "tests/gui/GuiTestSupport.h"

#include <stdlib.h>

#include <memory>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/log.h>
#include <wx/msgdlg.h>

#include "res/Strings.h"
#include "tests/support/TempDir.h"
#include "ui/Settings.h"
#include "ui/WxText.h"

namespace {

// A failed wxWidgets assertion fails the test instead of opening a window about it.
void FailOnAssert(const wxString& strFile, int nLine, const wxString& strFunc,
                  const wxString& strCond, const wxString& strMsg) {
    ADD_FAILURE_AT(FromWx(strFile).c_str(), nLine) << "wx assertion in " << FromWx(strFunc) << ": "
                                                   << FromWx(strCond) << " " << FromWx(strMsg);
}

// Starts wxWidgets once for the test process (each test case has a process of its own)
// and shuts it down at the end.
class CWxEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        // GTK and the settings store write below HOME: keep them out of the real one.
        m_pHome = std::make_unique<CTempDir>();
        setenv("HOME", m_pHome->Path().c_str(), 1);
        for (const char* pszVar : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"})
            setenv(pszVar, m_pHome->File(pszVar).c_str(), 1);
        setenv("GSETTINGS_BACKEND", "memory", 1);
        setenv("NO_AT_BRIDGE", "1", 1);
        wxSetAssertHandler(FailOnAssert);
        wxApp::SetInstance(new wxApp);
        static char szName[] = "kestrix_gui_tests";
        static char* argv[] = {szName, nullptr};
        int argc = 1;
        ASSERT_TRUE(wxEntryStart(argc, argv)) << "no display: run the tests under xvfb-run";
        delete wxLog::SetActiveTarget(new wxLogStderr);
        wxTheApp->CallOnInit();
    }
    void TearDown() override {
        wxTheApp->OnExit();
        wxEntryCleanup();
        m_pHome.reset();
    }

private:
    std::unique_ptr<CTempDir> m_pHome;
};

[[maybe_unused]] ::testing::Environment* const g_pWxEnvironment =
    ::testing::AddGlobalTestEnvironment(new CWxEnvironment);

}  // namespace

// The sanitizer build's leak check stops at the toolkit's font and type caches, which
// live until process exit by design; leaks in our own code are still reported.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n"
           "leak:libpango\n"
           "leak:libgtk-3.so\n"
           "leak:libgdk-3.so\n"
           "leak:libglib-2.0.so\n"
           "leak:libgobject-2.0.so\n"
           "leak:libgio-2.0.so\n";
}

CDialogScript::CDialogScript() {
    Register();
}

CDialogScript::~CDialogScript() {
    Unregister();
    for (const SStep& step : m_steps) Fail("expected dialog never came: " + step.strWhat);
}

void CDialogScript::Expect(std::string strWhat, std::function<int(wxDialog&)> answer) {
    m_steps.push_back({std::move(strWhat), std::move(answer)});
}

void CDialogScript::ExpectMessage(int nStringId, long nIcon, int nResult) {
    std::string strWhat = "message " + std::to_string(nStringId);
    ExpectDialog<wxMessageDialog>(strWhat.c_str(), nResult, [=](wxMessageDialog& box) {
        EXPECT_EQ(FromWx(box.GetMessage()), LoadString(nStringId)) << strWhat;
        EXPECT_EQ(FromWx(box.GetCaption()), AppName()) << strWhat;
        EXPECT_TRUE(box.GetMessageDialogStyle() & nIcon) << strWhat << ": wrong icon";
    });
}

std::string CDialogScript::Describe(wxDialog& dlg) {
    if (auto* pBox = dynamic_cast<wxMessageDialog*>(&dlg))
        return "message box \"" + FromWx(pBox->GetMessage()) + "\"";
    return "dialog \"" + FromWx(dlg.GetTitle()) + "\"";
}

void CDialogScript::Fail(const std::string& strWhat) {
    ADD_FAILURE() << strWhat;
}

int CDialogScript::Enter(wxDialog* pDialog) {
    if (m_steps.empty()) {
        Fail("unexpected " + Describe(*pDialog));
        return wxID_CANCEL;
    }
    SStep step = std::move(m_steps.front());
    m_steps.pop_front();
    return step.answer(*pDialog);
}

std::optional<std::string> CScriptedChooser::ChooseFile(const std::string& strTitle,
                                                        const std::string& strInitialPath) {
    m_fileQuestions.push_back({strTitle, strInitialPath});
    if (m_files.empty()) {
        ADD_FAILURE() << "unexpected file dialog \"" << strTitle << "\"";
        return std::nullopt;
    }
    std::optional<std::string> answer = m_files.front();
    m_files.pop_front();
    return answer;
}

std::optional<std::string> CScriptedChooser::ChooseFolder(const std::string& strTitle,
                                                          const std::string& strInitialDir) {
    m_folderQuestions.push_back({strTitle, strInitialDir});
    if (m_folders.empty()) {
        ADD_FAILURE() << "unexpected folder dialog \"" << strTitle << "\"";
        return std::nullopt;
    }
    std::optional<std::string> answer = m_folders.front();
    m_folders.pop_front();
    return answer;
}
