#include "ui/CutSelectionDlg.h"

#include <wx/checkbox.h>
#include <wx/menu.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <vector>

#include "app/AboutBoxDlg.h"
#include "app/OdbcEnvironment.h"
#include "log/ErrorLogDlg.h"
#include "res/Layout.h"
#include "res/Strings.h"
#include "res/WxText.h"
#include "ui/FileChooser.h"
#include "ui/HelpPage.h"
#include "ui/OutputDir.h"
#include "ui/Settings.h"
#include "ui/SystemMenu.h"
#include "ui/WxFolderWait.h"
#include "ui/WxMessageBox.h"

namespace tpl = cutsel_template;

namespace {

template <class T, class TDefault>
T& OrOwn(T* pGiven, std::unique_ptr<T>& pOwn, TDefault makeDefault) {
    if (pGiven) return *pGiven;
    pOwn = makeDefault();
    return *pOwn;
}

}  // namespace

CCutSelectionDlg::CCutSelectionDlg(wxWindow* pParent, IFileChooser* pChooser, IMessageBox* pBox)
    : wxDialog(pParent, wxID_ANY, "KESTRIX", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxRESIZE_BORDER),
      m_chooser(OrOwn(pChooser, m_pOwnChooser,
                      [this] { return std::make_unique<CWxFileChooser>(this); })),
      m_box(OrOwn(pBox, m_pOwnBox, [this] { return std::make_unique<CWxMessageBox>(this); })),
      m_pFolderWait(std::make_unique<CWxFolderWait>(this)),
      m_strLogPath(LogFilePath()),
      m_strHelpPath(HelpPagePath()),
      m_converter(m_log, m_box) {
    m_converter.m_pFolderWait = m_pFolderWait.get();
    m_converter.m_pOutputDirStore = &m_folders;
    CreateControls();
    for (int i = 0; i < kCutCount; ++i)
        Bind(wxEVT_BUTTON, &CCutSelectionDlg::OnBrowse, this, tpl::IDC_BROWSE + i);
    Bind(wxEVT_BUTTON, &CCutSelectionDlg::OnLoadCuts, this, wxID_OK);
    Bind(wxEVT_BUTTON, &CCutSelectionDlg::OnChangeOutputDir, this, tpl::IDC_CHANGE_OUTPUT);
    Bind(wxEVT_BUTTON, &CCutSelectionDlg::OnHelp, this, wxID_HELP);
    Bind(wxEVT_CONTEXT_MENU, &CCutSelectionDlg::OnContextMenu, this);
    Bind(wxEVT_MENU, &CCutSelectionDlg::OnAbout, this, IDM_ABOUTBOX);
    Bind(wxEVT_SIZE, &CCutSelectionDlg::OnSize, this);
    for (wxTextCtrl* pField : PathFields())
        pField->Bind(wxEVT_TEXT, [pField](wxCommandEvent& event) {
            pField->SetToolTip(pField->GetValue());
            event.Skip();
        });
    UpdateData(false);
    Centre(wxBOTH);
}

CCutSelectionDlg::~CCutSelectionDlg() = default;

bool CCutSelectionDlg::InitialiseWindow(IOdbcInstaller& installer) {
    // The About item goes into the system menu where there is one; GTK gives a dialog
    // none, so there it is offered in the window's context menu, bound at construction.
    std::string strAbout = LoadString(IDS_ABOUTBOX);
    if (!strAbout.empty()) AppendToSystemMenu(*this, IDM_ABOUTBOX, ToWx(strAbout));
    SetIcons(AppIcons());
    if (!CheckOdbcEnvironment(installer, m_box, m_log)) {
        SetReturnCode(wxID_CANCEL);
        WriteLogFile();
        return false;
    }
    if (!InitCutRows()) {
        SetReturnCode(wxID_CANCEL);
        return false;
    }
    return true;
}

bool CCutSelectionDlg::InitCutRows() {
    std::string strInputDir = m_folders.InputDir();
    // Proposed as the folder spells it, so that a case-sensitive file dialog still
    // preselects "rnddat.dbf". Without a remembered folder the dialog starts in the
    // platform's default folder, whose files are not ours to look at.
    std::string strProposed =
        strInputDir.empty() ? "Rnddat.dbf" : PathAsStored(strInputDir, "Rnddat.dbf");
    std::optional<std::string> chosen =
        m_chooser.ChooseFile(LoadString(IDS_SELECT_DBF_FILE), strProposed);
    if (!chosen) return false;
    // Remembered at once, before any check of the other tables.
    m_folders.RememberInputDir(FolderOf(*chosen));

    std::array<std::string, kCutCount> paths = CutPathsFromChoice(*chosen);
    bool bAllReadable = true;
    for (int i = 0; i < kCutCount; ++i) {
        m_strFile[i] = paths[i];
        m_bLoad[i] = CanOpenForReading(paths[i]);
        bAllReadable = bAllReadable && m_bLoad[i];
    }
    if (!bAllReadable) m_box.MessageBox(LoadString(IDS_NOT_ALL_FILES), MB_OK | MB_ICONINFORMATION);
    if (!DetermineOutputDir())
        m_box.MessageBox(LoadString(IDS_NO_OUTPUT_DIR), MB_OK | MB_ICONINFORMATION);
    UpdateData(false);
    return true;
}

bool CCutSelectionDlg::DetermineOutputDir() {
    m_converter.m_strOutputDir = DetermineOutputDirPath();
    return !m_converter.m_strOutputDir.empty();
}

void CCutSelectionDlg::BrowseCutFile(std::string& strFile, bool& bLoad, int nNameId) {
    std::string strTitle = FormatString(LoadString(IDS_SELECT_CUT_FILE), LoadString(nNameId));
    std::optional<std::string> chosen = m_chooser.ChooseFile(strTitle, strFile);
    if (!chosen) return;
    strFile = *chosen;
    bLoad = true;
    UpdateData(false);
}

void CCutSelectionDlg::WriteLogFile() const {
    if (!m_strLogPath.empty()) m_log.WriteLogFile(m_strLogPath);
}

void CCutSelectionDlg::UpdateData(bool bSaveAndValidate) {
    // A disabled control is exchanged like any other: the read-only output folder too.
    for (int i = 0; i < kCutCount; ++i) {
        if (bSaveAndValidate) {
            m_bLoad[i] = m_pLoad[i]->GetValue();
            m_strFile[i] = FromWx(m_pFile[i]->GetValue());
        } else {
            m_pLoad[i]->SetValue(m_bLoad[i]);
            m_pFile[i]->ChangeValue(ToWx(m_strFile[i]));
        }
    }
    if (bSaveAndValidate)
        m_converter.m_strOutputDir = FromWx(m_pOutputDir->GetValue());
    else
        m_pOutputDir->ChangeValue(ToWx(m_converter.m_strOutputDir));
    if (!bSaveAndValidate) ShowPathEnds();
}

void CCutSelectionDlg::EndDialog(int nResult) {
    // Outside a modal run (before the window is shown, or driven by a test) there is no
    // loop to end: only the result is recorded.
    if (IsModal())
        EndModal(nResult);
    else
        SetReturnCode(nResult);
}

void CCutSelectionDlg::OnBrowse(wxCommandEvent& event) {
    int nRow = event.GetId() - tpl::IDC_BROWSE;
    if (nRow < 0 || nRow >= kCutCount) return;
    UpdateData(true);
    BrowseCutFile(m_strFile[nRow], m_bLoad[nRow], g_cuts[nRow].nNameId);
}

void CCutSelectionDlg::OnLoadCuts(wxCommandEvent&) {
    m_log.Clear();
    if (!PathsFitProgramText()) return;
    UpdateData(true);

    bool bAny = false;
    for (bool bLoad : m_bLoad) bAny = bAny || bLoad;
    if (!bAny) {
        if (m_box.MessageBox(LoadString(IDS_NO_CUT_SELECTED), MB_OKCANCEL | MB_ICONEXCLAMATION) ==
            IDCANCEL)
            EndDialog(wxID_CANCEL);
        return;
    }
    bool bAllOk = true;
    {
        wxBusyCursor wait;
        bAllOk = ConvertChosenCuts(m_converter, m_strFile, m_bLoad);
    }
    WriteLogFile();

    if (!bAllOk) {
        m_box.MessageBox(LoadString(IDS_CONVERSION_FAILED), MB_OK | MB_ICONSTOP);
        CErrorLogDlg dlg(this);
        dlg.m_strText = m_log.m_strLog;
        dlg.ShowModal();
        return;
    }
    m_box.MessageBox(LoadString(IDS_CONVERSION_DONE), MB_OK | MB_ICONINFORMATION);
    EndDialog(wxID_OK);
}

// A typed path the program's encoding cannot hold (on Windows: the ANSI code page) would
// name no file at all; the user is told which, instead of a conversion that cannot
// find its table.
bool CCutSelectionDlg::PathsFitProgramText() {
    std::vector<wxString> paths = {m_pOutputDir->GetValue()};
    for (int i = 0; i < kCutCount; ++i)
        if (m_pLoad[i]->GetValue()) paths.push_back(m_pFile[i]->GetValue());
    for (const wxString& path : paths) {
        if (FitsProgramText(path)) continue;
        m_box.MessageBox(FormatString(kUnrepresentablePath, FromWx(path)), MB_OK | MB_ICONSTOP);
        return false;
    }
    return true;
}

void CCutSelectionDlg::OnChangeOutputDir(wxCommandEvent&) {
    std::optional<std::string> chosen =
        m_chooser.ChooseFolder(LoadString(IDS_SELECT_OUTPUT_DIR), m_converter.m_strOutputDir);
    if (!chosen) return;
    // Reading first keeps what the user typed and ticked in the rows.
    UpdateData(true);
    m_converter.m_strOutputDir = *chosen;
    UpdateData(false);
}

void CCutSelectionDlg::OnHelp(wxCommandEvent&) {
    ShowHelpPage(this, m_strHelpPath, m_box);
}

void CCutSelectionDlg::OnContextMenu(wxContextMenuEvent&) {
    std::string strAbout = LoadString(IDS_ABOUTBOX);
    if (strAbout.empty()) return;
    wxMenu menu;
    menu.Append(IDM_ABOUTBOX, ToWx(strAbout));
    PopupMenu(&menu);
}

void CCutSelectionDlg::OnAbout(wxCommandEvent&) {
    CAboutBoxDlg dlg(this);
    dlg.ShowModal();
}
