#include "ui/HelpPage.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <wx/dialog.h>
#include <wx/html/htmlwin.h>
#include <wx/sizer.h>

#include "log/RunLog.h"
#include "res/Layout.h"
#include "res/MessageBox.h"
#include "convert/CutTable.h"
#include "ui/Settings.h"
#include "res/WxText.h"

#ifndef KESTRIX_HELP_RELPATH
#define KESTRIX_HELP_RELPATH "../share/kestrix/kestrix.html"
#endif

std::string HelpPagePath() {
    // Named after the program, not the executable, so a renamed copy finds it too.
    std::string strDir = FolderOf(ExecutablePath());
    std::string strBeside = strDir + "kestrix.html";
    if (std::ifstream(strBeside).is_open()) return strBeside;
    // The executable's path has its links resolved, so "bin/.." may be dropped as text.
    return std::filesystem::path(strDir + KESTRIX_HELP_RELPATH).lexically_normal().string();
}

void ShowHelpPage(wxWindow* pParent, const std::string& strPath, IMessageBox& box) {
    errno = 0;
    std::ifstream in(strPath, std::ios::binary);
    std::ostringstream page;
    if (!in || !(page << in.rdbuf()) || page.str().empty()) {
        // The reason as the system gives it: a missing page, a folder, no permission.
        const char* pszWhy = errno ? std::strerror(errno) : "the page is empty";
        box.MessageBox("Cannot show the help page " + strPath + ": " + pszWhy + ".",
                       MB_OK | MB_ICONSTOP);
        return;
    }
    wxDialog dlg(pParent, wxID_ANY, ToWx(AppName() + " Help"), wxDefaultPosition, wxDefaultSize,
                 wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER);
    auto* pPage = new wxHtmlWindow(&dlg, wxID_ANY, wxDefaultPosition,
                                   dlg.ConvertDialogToPixels(wxSize(280, 240)));
    pPage->SetPage(wxString::FromUTF8(page.str()));
    auto* pSizer = new wxBoxSizer(wxVERTICAL);
    pSizer->Add(pPage, 1, wxEXPAND);
    pSizer->Add(dlg.CreateButtonSizer(wxCLOSE), 0, wxEXPAND | wxALL, 8);
    dlg.SetSizerAndFit(pSizer);
    dlg.SetEscapeId(wxID_CLOSE);
    dlg.SetIcons(AppIcons());
    dlg.ShowModal();
}
