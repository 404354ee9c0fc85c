#include "ui/HelpPage.h"

#include <wx/filename.h>
#include <wx/utils.h>

#include "log/RunLog.h"
#include "ui/CutTable.h"
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

bool ShowHelpPage() {
    std::string strPath = HelpPagePath();
    if (strPath.empty()) return false;
    wxFileName file(ToWx(strPath));
    file.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
    return wxLaunchDefaultBrowser(wxFileName::FileNameToURL(file));
}
