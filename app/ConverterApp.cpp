#include "app/ConverterApp.h"

#include <cstdio>

#include <wx/log.h>

#include "app/OdbcEnvironment.h"
#include "log/FileOps.h"
#include "res/Strings.h"
#include "ui/CutSelectionDlg.h"
#include "ui/Settings.h"
#include "res/WxText.h"

bool CConverterApp::Initialize(int& argc, wxChar** argv) {
    {
        wxLogNull quiet;
        if (wxApp::Initialize(argc, argv)) return true;
    }
    std::fputs(
        "kestrix: cannot open a window: no display is available.\n"
        "To convert price tables without a screen, use kestrix-convert (see kestrix-convert "
        "--help).\n",
        stderr);
    return false;
}

bool CConverterApp::OnInit() {
    // The base class would parse the command line; the program takes no arguments, and
    // an unknown one must not stop it. The run itself is in OnRun: a false result here
    // would end the process with status 255.
    FailWritesPastFileSizeLimit();
    SetAppName(ToWx(AppName()));
    SetVendorName("Tarvesk Software");
    return true;
}

int CConverterApp::OnRun() {
    CCutSelectionDlg dlg(nullptr);
    SetTopWindow(&dlg);
    // Message boxes and the start-up file dialog come before the window is shown; it is
    // never offered for input when its start-up steps fail.
    if (dlg.InitialiseWindow(PlatformOdbcInstaller())) dlg.ShowModal();
    SetTopWindow(nullptr);
    return 0;
}
