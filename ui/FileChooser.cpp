#include "ui/FileChooser.h"

#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>

#include "res/Strings.h"
#include "ui/CutTable.h"
#include "ui/Settings.h"
#include "ui/WxText.h"

const char* DbaseFilter() {
#ifdef _WIN32
    return "Dbase files (*.dbf)|*.dbf";
#else
    // GTK matches patterns case-sensitively, and the publisher's tables reach Linux
    // machines from Windows with any spelling of the extension.
    return "Dbase files (*.dbf)|*.dbf;*.DBF;*.Dbf";
#endif
}

namespace {

// A shown dialog needs a shown owner; before the main window appears the choosers are
// free-standing (and application-modal all the same).
wxWindow* ShownOrNull(wxWindow* pOwner) {
    return pOwner && pOwner->IsShown() ? pOwner : nullptr;
}

// A chosen path the program cannot hand to the system is refused with the reason, as if
// the dialog had been cancelled.
bool Usable(const wxString& strPath) {
    if (FitsProgramText(strPath)) return true;
    wxMessageBox(ToWx(FormatString(kUnrepresentablePath, FromWx(strPath))), ToWx(AppName()),
                 wxOK | wxICON_ERROR);
    return false;
}

}  // namespace

std::optional<std::string> CWxFileChooser::ChooseFile(const std::string& strTitle,
                                                      const std::string& strInitialPath) {
    std::string strDir = FolderOf(strInitialPath);
    std::string strName = strInitialPath.substr(strDir.size());
    wxFileDialog dlg(ShownOrNull(m_pOwner), ToWx(strTitle), ToWx(strDir), ToWx(strName),
                     DbaseFilter(), wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dlg.ShowModal() != wxID_OK || !Usable(dlg.GetPath())) return std::nullopt;
    return FromWx(dlg.GetPath());
}

std::optional<std::string> CWxFileChooser::ChooseFolder(const std::string& strTitle,
                                                        const std::string& strInitialDir) {
    wxDirDialog dlg(ShownOrNull(m_pOwner), ToWx(strTitle), ToWx(strInitialDir),
                    wxDD_DEFAULT_STYLE | wxDD_DIR_MUST_EXIST);
    if (dlg.ShowModal() != wxID_OK || !Usable(dlg.GetPath())) return std::nullopt;
    std::string strPath = FromWx(dlg.GetPath());
    if (strPath.empty()) return std::nullopt;
    return strPath;
}
