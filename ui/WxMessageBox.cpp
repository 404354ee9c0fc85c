#include "ui/WxMessageBox.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include <tuple>

#include "res/Layout.h"
#include "ui/Settings.h"
#include "res/WxText.h"

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

namespace {

// GTK 3's own message dialog shows no icon, so a stop box looked like an information
// box; wx's generic one draws the icon but never wraps a long paragraph. This box does
// both; its base keeps the text, caption and style readable as any message dialog's.
class CMessageBoxDlg : public wxMessageDialogBase {
public:
    CMessageBoxDlg(wxWindow* pParent, const wxString& strText, const wxString& strCaption,
                   long nStyle)
        : wxMessageDialogBase(pParent, strText, strCaption, nStyle) {
        Create(m_parent, wxID_ANY, strCaption, wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX);
        auto* pText = new wxStaticText(this, wxID_ANY, strText);
        pText->Wrap(GetCharWidth() * 70);
        auto* pRow = new wxBoxSizer(wxHORIZONTAL);
        pRow->Add(new wxStaticBitmap(this, wxID_ANY, wxArtProvider::GetMessageBoxIcon(nStyle)),
                  wxSizerFlags().Top().Border(wxRIGHT, FromDIP(16)));
        pRow->Add(pText, wxSizerFlags(1));
        auto* pTop = new wxBoxSizer(wxVERTICAL);
        pTop->Add(pRow, wxSizerFlags(1).Expand().Border(wxALL, FromDIP(12)));
        pTop->Add(CreateButtonRow(nStyle), wxSizerFlags().Right().Border(wxALL, FromDIP(10)));
        SetSizerAndFit(pTop);
        SetIcons(AppIcons());
        // Yes and No end the box like OK, and so do their keys without Alt, as in the
        // platform's own message box; Escape and the close box press Cancel when there
        // is one, else OK or No (see MessageBoxAnswer).
        for (int nId : {wxID_YES, wxID_NO})
            Bind(
                wxEVT_BUTTON, [this](wxCommandEvent& event) { End(event.GetId()); }, nId);
        Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
            int nKey = event.HasAnyModifiers() ? 0 : event.GetKeyCode();
            int nId = nKey == 'Y' ? wxID_YES : nKey == 'N' ? wxID_NO : wxID_NONE;
            if (nId != wxID_NONE && FindWindow(nId))
                End(nId);
            else
                event.Skip();
        });
        if (!(nStyle & wxCANCEL)) SetEscapeId(nStyle & wxYES_NO ? wxID_NO : wxID_OK);
        Centre(wxBOTH);
    }

private:
    // The buttons in the order their text names them (Yes, No, Cancel), the first one the
    // default; GTK's standard order would put Yes last.
    wxSizer* CreateButtonRow(long nStyle) {
        auto* pRow = new wxBoxSizer(wxHORIZONTAL);
        const std::tuple<long, int, const char*> buttons[] = {{wxOK, wxID_OK, "OK"},
                                                              {wxYES, wxID_YES, "&Yes"},
                                                              {wxNO, wxID_NO, "&No"},
                                                              {wxCANCEL, wxID_CANCEL, "Cancel"}};
        for (auto [nFlag, nId, pszLabel] : buttons) {
            if (!(nStyle & nFlag)) continue;
            auto* pButton = new wxButton(this, nId, pszLabel);
            if (pRow->IsEmpty()) pButton->SetDefault();
            pRow->Add(pButton, wxSizerFlags().Border(wxLEFT, FromDIP(6)));
        }
        return pRow;
    }
    // Outside a modal run (a test looking at the box) only the result is recorded.
    void End(int nId) {
        if (IsModal())
            EndModal(nId);
        else
            SetReturnCode(nId);
    }
};

}  // namespace

CBusyCursorPause::CBusyCursorPause() {
    for (; wxIsBusy(); ++m_nDepth) wxEndBusyCursor();
}

CBusyCursorPause::~CBusyCursorPause() {
    for (; m_nDepth > 0; --m_nDepth) wxBeginBusyCursor();
}

int CWxMessageBox::MessageBox(const std::string& strText, unsigned nType) {
    wxWindow* pParent = m_pOwner && m_pOwner->IsShown() ? m_pOwner : nullptr;
    CBusyCursorPause pause;
    CMessageBoxDlg dlg(pParent, ToWx(strText), ToWx(AppName()), MessageBoxStyle(nType));
    return MessageBoxAnswer(nType, dlg.ShowModal());
}
