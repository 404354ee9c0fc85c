#include "ui/FileChooser.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/dirctrl.h>
#include <wx/filedlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "res/Layout.h"

#include "res/Strings.h"
#include "convert/CutTable.h"
#include "ui/Settings.h"
#include "ui/WxMessageBox.h"
#include "res/WxText.h"

namespace {

// A shown dialog needs a shown owner; before the main window appears the choosers are
// free-standing (and application-modal all the same).
wxWindow* ShownOrNull(wxWindow* pOwner) {
    return pOwner && pOwner->IsShown() ? pOwner : nullptr;
}

// A chosen path the program cannot hand to the system is refused with the reason, as if
// the dialog had been cancelled.
bool Usable(const wxString& strPath, wxWindow* pOwner) {
    if (FitsProgramText(strPath)) return true;
    CWxMessageBox(pOwner).MessageBox(FormatString(kUnrepresentablePath, FromWx(strPath)),
                                     MB_OK | MB_ICONSTOP);
    return false;
}

// The folder browser: the instruction above a folder tree, OK and Cancel. GTK's folder
// chooser would turn the instruction into its title, line break and all, and Windows'
// newer one does not show it at all.
class CFolderBrowserDlg : public wxDialog {
public:
    CFolderBrowserDlg(wxWindow* pParent, const wxString& strInstruction, const wxString& strInitial)
        : wxDialog(pParent, wxID_ANY, ToWx(AppName()), wxDefaultPosition, wxDefaultSize,
                   wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER) {
        SetIcons(AppIcons());
        auto* pTop = new wxBoxSizer(wxVERTICAL);
        pTop->Add(new wxStaticText(this, wxID_ANY, strInstruction),
                  wxSizerFlags().Border(wxALL, FromDIP(10)));
        m_pTree = new wxGenericDirCtrl(this, wxID_ANY, strInitial, wxDefaultPosition,
                                       FromDIP(wxSize(320, 320)), wxDIRCTRL_DIR_ONLY);
        pTop->Add(m_pTree, wxSizerFlags(1).Expand().Border(wxLEFT | wxRIGHT, FromDIP(10)));
        auto* pButtons = new wxBoxSizer(wxHORIZONTAL);
        auto* pOk = new wxButton(this, wxID_OK, "OK");
        pOk->SetDefault();
        pButtons->Add(pOk);
        pButtons->Add(new wxButton(this, wxID_CANCEL, "Cancel"),
                      wxSizerFlags().Border(wxLEFT, FromDIP(6)));
        pTop->Add(pButtons, wxSizerFlags().Right().Border(wxALL, FromDIP(10)));
        SetSizerAndFit(pTop);
        CentreOnParent();
    }
    wxString GetPath() const { return m_pTree->GetPath(); }

private:
    wxGenericDirCtrl* m_pTree;
};

}  // namespace

std::optional<std::string> CWxFileChooser::ChooseFile(const std::string& strTitle,
                                                      const std::string& strInitialPath) {
    std::string strDir = FolderOf(strInitialPath);
    std::string strName = strInitialPath.substr(strDir.size());
    wxFileDialog dlg(ShownOrNull(m_pOwner), ToWx(strTitle), ToWx(strDir), ToWx(strName),
                     DbaseFilter(), wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    dlg.SetIcons(AppIcons());  // the first window of a start, before the main one
    if (dlg.ShowModal() != wxID_OK || !Usable(dlg.GetPath(), m_pOwner)) return std::nullopt;
    return FromWx(dlg.GetPath());
}

std::optional<std::string> CWxFileChooser::ChooseFolder(const std::string& strTitle,
                                                        const std::string& strInitialDir) {
    CFolderBrowserDlg dlg(ShownOrNull(m_pOwner), ToWx(strTitle), ToWx(strInitialDir));
    if (dlg.ShowModal() != wxID_OK || !Usable(dlg.GetPath(), m_pOwner)) return std::nullopt;
    std::string strPath = FromWx(dlg.GetPath());
    if (strPath.empty()) return std::nullopt;
    return strPath;
}
