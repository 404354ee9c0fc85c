// The Error log window: shows the run log of a failed conversion attempt, read-only,
// until the user closes it.
#pragma once

#include <string>

#include <wx/dialog.h>

class wxButton;
class wxTextCtrl;

class CErrorLogDlg : public wxDialog {
public:
    // Modal over `pOwner` (the main window) when run with ShowModal().
    explicit CErrorLogDlg(wxWindow* pOwner);

    // The text to show, set by the caller before the window is run; nothing is read back.
    std::string m_strText;

    bool TransferDataToWindow() override;

private:
    wxTextCtrl* m_pText;
    wxButton* m_pClose;
};

// The run log as the edit control shows it: lines end in a bare line feed.
wxString LogForDisplay(const std::string& strLog);
