#include "log/ErrorLogDlg.h"

#include <wx/button.h>
#include <wx/textctrl.h>

#include "res/Layout.h"
#include "res/WxText.h"

namespace tpl = errorlog_template;

CErrorLogDlg::CErrorLogDlg(wxWindow* pOwner)
    : wxDialog(pOwner, wxID_ANY, "Error log", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
    // The log edit takes no tab stop: Tab and the initial focus stay on Close.
    m_pClose = new wxButton(this, wxID_OK, "Close");
    m_pText =
        new wxTextCtrl(this, tpl::IDC_LOG_TEXT, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                       wxTE_MULTILINE | wxTE_READONLY | wxTE_WORDWRAP | wxBORDER_SUNKEN);
    m_pText->DisableFocusFromKeyboard();
    m_pClose->SetDefault();
    SetEscapeId(wxID_OK);  // Esc and the close box end the window like Close

    CTemplateLayout layout(this);
    layout.Add(m_pClose, tpl::kClose);
    layout.Add(m_pText, tpl::kText, EFit::Exact);
    layout.Apply(tpl::kWidth, tpl::kHeight);
    SetIcons(AppIcons());
    CentreOnParent();
}

bool CErrorLogDlg::TransferDataToWindow() {
    m_pText->ChangeValue(LogForDisplay(m_strText));
    m_pClose->SetFocus();
    return true;
}

wxString LogForDisplay(const std::string& strLog) {
    // GTK's text view would show the carriage return of each CR LF as a glyph or a
    // second break; the file keeps them, the window does not need them.
    std::string strShown;
    strShown.reserve(strLog.size());
    for (size_t i = 0; i < strLog.size(); ++i) {
        if (strLog[i] == '\r' && i + 1 < strLog.size() && strLog[i + 1] == '\n') continue;
        strShown += strLog[i];
    }
    return ToWx(strShown);
}
