#include "ui/WxMessageBox.h"

#include <wx/msgdlg.h>

#include "ui/Settings.h"
#include "ui/WxText.h"

long MessageBoxStyle(unsigned nType) {
    long nStyle = 0;
    switch (nType & MB_TYPEMASK) {
        case MB_OKCANCEL:
            nStyle = wxOK | wxCANCEL;
            break;
        case MB_YESNOCANCEL:
            nStyle = wxYES_NO | wxCANCEL;
            break;
        case MB_YESNO:
            nStyle = wxYES_NO;
            break;
        default:
            nStyle = wxOK;
            break;
    }
    switch (nType & MB_ICONMASK) {
        case MB_ICONSTOP:
            return nStyle | wxICON_ERROR;
        case MB_ICONQUESTION:
            return nStyle | wxICON_QUESTION;
        case MB_ICONINFORMATION:
            return nStyle | wxICON_INFORMATION;
        default:
            return nStyle | wxICON_EXCLAMATION;
    }
}

int MessageBoxAnswer(unsigned nType, int nResult) {
    unsigned nButtons = nType & MB_TYPEMASK;
    bool bHasCancel = nButtons == MB_OKCANCEL || nButtons == MB_YESNOCANCEL;
    bool bYesNo = nButtons == MB_YESNO || nButtons == MB_YESNOCANCEL;
    if (bYesNo && nResult == wxID_YES) return IDYES;
    if (bYesNo && nResult == wxID_NO) return IDNO;
    if (!bYesNo && nResult == wxID_OK) return IDOK;
    // Anything else is a box closed without a button: Escape or the close box.
    if (bHasCancel) return IDCANCEL;
    return bYesNo ? IDNO : IDOK;
}

int CWxMessageBox::MessageBox(const std::string& strText, unsigned nType) {
    wxWindow* pParent = m_pOwner && m_pOwner->IsShown() ? m_pOwner : nullptr;
    wxMessageDialog dlg(pParent, ToWx(strText), ToWx(AppName()), MessageBoxStyle(nType) | wxCENTRE);
    return MessageBoxAnswer(nType, dlg.ShowModal());
}
