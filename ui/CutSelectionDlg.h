// The main window: which cuts to convert, from which tables, into which folder. OK runs
// the conversions and reports the outcome; the window is the program's only one.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <wx/dialog.h>

#include "convert/ConvertCut.h"
#include "convert/CutTable.h"
#include "log/RunLog.h"
#include "ui/Settings.h"

class IFileChooser;
class IMessageBox;
class IOdbcInstaller;
class wxCheckBox;
class wxTextCtrl;

class CCutSelectionDlg : public wxDialog {
    // Declared first: the converter below asks its questions through m_box.
    std::unique_ptr<IFileChooser> m_pOwnChooser;
    std::unique_ptr<IMessageBox> m_pOwnBox;
    IFileChooser& m_chooser;
    IMessageBox& m_box;
    std::unique_ptr<IFolderWait> m_pFolderWait;

public:
    // Without `pChooser` or `pBox` the platform's file dialogs and message boxes are used;
    // given ones must outlive the dialog.
    explicit CCutSelectionDlg(wxWindow* pParent, IFileChooser* pChooser = nullptr,
                              IMessageBox* pBox = nullptr);
    ~CCutSelectionDlg() override;

    // Everything before the window may be shown: its icons, the ODBC check, InitCutRows.
    // False when the window must not be offered; the return code is then wxID_CANCEL,
    // and a failed ODBC check has written the log file.
    bool InitialiseWindow(IOdbcInstaller& installer);

    // Asks for one of the publisher's tables, remembers its folder as "InputDir", fills
    // the four rows from that folder and ticks the cuts whose tables can be read. False
    // only when the user cancels the file dialog.
    bool InitCutRows();

    // Sets m_strOutputDir by the default rule; true when a folder was found.
    bool DetermineOutputDir();

    // Lets the user pick another table for the cut named by string `nNameId`; on a choice
    // the path and a ticked load flag are stored and the controls refreshed.
    void BrowseCutFile(std::string& strFile, bool& bLoad, int nNameId);

    void AppendLog(const std::string& strText) { m_log.AppendLog(strText); }
    // Writes the run log to m_strLogPath (beside the executable unless changed).
    void WriteLogFile() const;

    // The one place where members and controls meet: controls into members when
    // `bSaveAndValidate`, members into controls otherwise.
    void UpdateData(bool bSaveAndValidate);

    bool m_bLoad[kCutCount] = {};
    std::string m_strFile[kCutCount];
    CRunLog m_log;             // m_log.m_strLog: the current attempt's run log
    std::string m_strLogPath;  // where WriteLogFile puts it
    // The page Help shows: the installed one unless changed.
    std::string m_strHelpPath;
    CRememberedFolders m_folders;
    // Holds m_strOutputDir and m_bBackupConfirmed (never reset while the window lives).
    CCutConverter m_converter;

private:
    void CreateControls();
    void EndDialog(int nResult);
    void OnBrowse(wxCommandEvent& event);
    void OnLoadCuts(wxCommandEvent& event);
    bool PathsFitProgramText();
    void OnChangeOutputDir(wxCommandEvent& event);
    void OnHelp(wxCommandEvent& event);
    void OnContextMenu(wxContextMenuEvent& event);
    void OnAbout(wxCommandEvent& event);
    // Widening gives the path fields the extra width and moves what stands right of them.
    void OnSize(wxSizeEvent& event);
    // Each path field shows the end of its path (the file name) and the whole path as
    // its tooltip; the one being edited keeps its caret.
    void ShowPathEnds();
    std::vector<wxTextCtrl*> PathFields() const;

    wxCheckBox* m_pLoad[kCutCount] = {};
    wxTextCtrl* m_pFile[kCutCount] = {};
    wxTextCtrl* m_pOutputDir = nullptr;
    // Every control's place at the template's size, the client width there, and the x
    // from which controls move when the window is widened.
    std::vector<std::pair<wxWindow*, wxRect>> m_templateRects;
    int m_nTemplateWidth = 0, m_nMovesFrom = 0;
};

// The About item's command in the window's context menu.
inline constexpr int IDM_ABOUTBOX = 0x0010;
