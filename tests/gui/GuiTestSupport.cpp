#include "tests/gui/GuiTestSupport.h"

#include <cstdio>
#include <cstdlib>

#include <unistd.h>

#include <wx/app.h>
#include <wx/log.h>

#include <X11/Xlib.h>  // last: its macros (Status, None, Bool) would clash with the others

namespace {

// An X server that resets when its last client leaves (Xvfb without -noreset) refuses
// whoever connects during the reset. A connection of our own, retried for up to ten
// seconds, waits a reset out; held until the toolkit has connected, it keeps the server
// from starting another one meanwhile.
Display* WaitForDisplay() {
    for (int nTry = 0; nTry < 100 && std::getenv("DISPLAY"); ++nTry) {
        if (Display* pDisplay = XOpenDisplay(nullptr)) return pDisplay;
        usleep(100 * 1000);
    }
    return nullptr;
}

// Starts wxWidgets once per test process (one per test case), below a HOME of its own.
struct CWxEnvironment : ::testing::Environment {
    CTempDir m_home;

    void SetUp() override {
        for (const char* pszVar : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"})
            setenv(pszVar, m_home.File(pszVar).c_str(), 1);
        setenv("GSETTINGS_BACKEND", "memory", 1);
        setenv("NO_AT_BRIDGE", "1", 1);
        // A failed wxWidgets assertion fails the test instead of opening a window about it.
        wxSetAssertHandler([](const wxString& strFile, int nLine, const wxString& strFunc,
                              const wxString& strCond, const wxString& strMsg) {
            ADD_FAILURE_AT(FromWx(strFile).c_str(), nLine)
                << "wx assertion in " << FromWx(strFunc) << ": " << FromWx(strCond + " " + strMsg);
        });
        // Before the start, so that the toolkit's own reason for a failed start is seen.
        delete wxLog::SetActiveTarget(new wxLogStderr);
        wxApp::SetInstance(new wxApp);
        static char* argv[] = {const_cast<char*>("kestrix_gui_tests"), nullptr};
        int argc = 1;
        Display* pHeld = WaitForDisplay();
        bool bStarted = wxEntryStart(argc, argv);
        if (pHeld) XCloseDisplay(pHeld);
        if (!bStarted) {
            // A failure here would only mark the tests skipped, which CTest counts as
            // no failure: the process fails instead, before any test is reported.
            std::fprintf(stderr, "cannot open display \"%s\": run the tests under xvfb-run\n",
                         std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
            std::exit(1);
        }
        wxTheApp->CallOnInit();
    }
    void TearDown() override {
        wxTheApp->OnExit();
        wxEntryCleanup();
    }
};

[[maybe_unused]] ::testing::Environment* const g_pWxEnvironment =
    ::testing::AddGlobalTestEnvironment(new CWxEnvironment);

}  // namespace

// The leak check skips the toolkit's caches, which live until process exit by design.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:libpango\nleak:libgtk-3.so\nleak:libgdk-3.so\n"
           "leak:libglib-2.0.so\nleak:libgobject-2.0.so\nleak:libgio-2.0.so\n";
}
