#include "ui/WxFolderWait.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include "res/Layout.h"
#include "res/Strings.h"
#include "ui/Settings.h"
#include "ui/WxMessageBox.h"
#include "res/WxText.h"

CWxFolderWait::~CWxFolderWait() {
    WaitEnded();
}

bool CWxFolderWait::KeepWaiting(const std::string& strFolder) {
    if (!m_pWindow) {
        m_bCancelled = false;
        m_pWindow =
            std::make_unique<wxDialog>(m_pOwner, wxID_ANY, ToWx(AppName()), wxDefaultPosition,
                                       wxDefaultSize, wxCAPTION, kFolderWaitName);
        m_pWindow->SetIcons(AppIcons());
        auto* pSizer = new wxBoxSizer(wxVERTICAL);
        auto* pText = new wxStaticText(
            m_pWindow.get(), wxID_ANY,
            ToWx(FormatString("Waiting for another conversion into \"%s\" to finish with its "
                              "files. Cancel skips this cut.",
                              strFolder)));
        pText->Wrap(m_pWindow->GetCharWidth() * 60);
        pSizer->Add(pText, wxSizerFlags().Border(wxALL, 12));
        auto* pCancel = new wxButton(m_pWindow.get(), wxID_CANCEL, "Cancel");
        pCancel->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { m_bCancelled = true; });
        pSizer->Add(pCancel, wxSizerFlags().Centre().Border(wxLEFT | wxRIGHT | wxBOTTOM, 12));
        m_pWindow->SetSizerAndFit(pSizer);
        m_pWindow->CentreOnParent();
        // The wait cursor of the run would say that Cancel cannot be clicked.
        m_pCursorPause = std::make_unique<CBusyCursorPause>();
        m_pDisabler = std::make_unique<wxWindowDisabler>(m_pWindow.get());
        m_pWindow->Show();
    }
    wxYield();
    return !m_bCancelled;
}

void CWxFolderWait::WaitEnded() {
    if (!m_pWindow) return;
    m_pDisabler.reset();
    m_pWindow.reset();
    m_pCursorPause.reset();
}
