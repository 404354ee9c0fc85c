#include "ui/HelpPage.h"

#include <wx/dialog.h>
#include <wx/filename.h>
#include <wx/html/htmlwin.h>
#include <wx/log.h>
#include <wx/sizer.h>
#include <wx/utils.h>

#include "log/RunLog.h"
#include "ui/CutTable.h"
#include "ui/Settings.h"
#include "ui/WxText.h"

#ifndef KESTRIX_HELP_RELPATH
#define KESTRIX_HELP_RELPATH "../share/kestrix/kestrix.html"
#endif

std::string HelpPagePath() {
    // Named after the program, not the executable, so a renamed copy finds it too.
    std::string strDir = FolderOf(ExecutablePath());
    if (strDir.empty()) return {};
    for (const std::string& strCandidate :
         {strDir + "kestrix.html", strDir + KESTRIX_HELP_RELPATH}) {
        if (wxFileName::FileExists(ToWx(strCandidate))) return strCandidate;
    }
    return {};
}

bool ShowHelpPage(wxWindow* pParent) {
    std::string strPath = HelpPagePath();
    if (strPath.empty()) return false;
    wxFileName file(ToWx(strPath));
    file.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
    {
        wxLogNull noErrorBox;  // no browser is no error: the page is shown below instead
        if (wxLaunchDefaultBrowser(wxFileName::FileNameToURL(file))) return true;
    }
    wxDialog dlg(pParent, wxID_ANY, ToWx(AppName() + " Help"), wxDefaultPosition, wxDefaultSize,
                 wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER);
    auto* pPage = new wxHtmlWindow(&dlg, wxID_ANY, wxDefaultPosition, wxSize(560, 480));
    pPage->LoadFile(file);
    auto* pSizer = new wxBoxSizer(wxVERTICAL);
    pSizer->Add(pPage, 1, wxEXPAND);
    pSizer->Add(dlg.CreateButtonSizer(wxCLOSE), 0, wxEXPAND | wxALL, 8);
    dlg.SetSizerAndFit(pSizer);
    dlg.SetEscapeId(wxID_CLOSE);
    dlg.ShowModal();
    return true;
}
