// The controls of the cut selection dialog, created in tab order and placed by the
// dialog-unit rectangles of its template.
#include <algorithm>
#include <iterator>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "res/Layout.h"
#include "res/Strings.h"
#include "ui/CutSelectionDlg.h"
#include "res/WxText.h"

namespace tpl = cutsel_template;

namespace {

SDlgRect InRow(const SDlgRect& rc, int nRow) {
    return {rc.x, tpl::kRowTop + nRow * tpl::kRowPitch + rc.y, rc.cx, rc.cy};
}

}  // namespace

void CCutSelectionDlg::CreateControls() {
    CTemplateLayout layout(this);
    auto AddLabel = [&](const char* pszText, const SDlgRect& rc) {
        layout.Add(new wxStaticText(this, wxID_ANY, pszText), rc);
    };

    auto* pOk = new wxButton(this, wxID_OK, "OK");
    pOk->SetDefault();
    layout.Add(pOk, tpl::kOk);
    layout.Add(new wxButton(this, wxID_CANCEL, "Cancel"), tpl::kCancel);
    layout.Add(new wxButton(this, wxID_HELP, "&Help"), tpl::kHelp);

    for (int i = 0; i < kCutCount; ++i) {
        // The check box has no caption of its own: the column head names it.
        m_pLoad[i] = new wxCheckBox(this, tpl::IDC_LOAD + 2 * i, wxEmptyString);
        // The row label shows the cut's name; what the program passes on is the string.
        auto* pName = new wxStaticText(this, wxID_ANY, ToWx(LoadString(g_cuts[i].nNameId)));
        m_pFile[i] = new wxTextCtrl(this, tpl::IDC_FILE + 2 * i);
        auto* pBrowse = new wxButton(this, tpl::IDC_BROWSE + i, "Browse");
        layout.Add(m_pLoad[i], InRow(tpl::kLoad, i));
        layout.Add(pName, InRow(tpl::kName, i));
        layout.Add(m_pFile[i], InRow(tpl::kFile, i));
        layout.Add(pBrowse, InRow(tpl::kBrowse, i));
    }

    AddLabel("Output folder", tpl::kOutputLabel);
    m_pOutputDir = new wxTextCtrl(this, tpl::IDC_OUTPUT_DIR, wxEmptyString, wxDefaultPosition,
                                  wxDefaultSize, wxTE_READONLY);
    // Nothing can be typed there, so it takes no focus and shows no caret (GTK would give
    // it both; Windows' read-only edit behaves so by itself).
    m_pOutputDir->SetCanFocus(false);
    layout.Add(m_pOutputDir, tpl::kOutputDir);
    layout.Add(new wxButton(this, tpl::IDC_CHANGE_OUTPUT, "Change"), tpl::kChange);

    AddLabel("Cut", tpl::kHeadCut);
    AddLabel("File name", tpl::kHeadFile);
    AddLabel("Load?", tpl::kHeadLoad);
    auto* pExplanation = new wxStaticText(
        this, wxID_ANY,
        "The following cuts will be loaded from corresponding files. Change file names in "
        "\"File name\" column to load from a different place. Click OK to load the data or "
        "Cancel to abandon the whole operation.");
    pExplanation->Wrap(ConvertDialogToPixels(wxSize(tpl::kExplanation.cx, 0)).x);
    layout.Add(pExplanation, tpl::kExplanation, EFit::Exact);

    layout.Apply(tpl::kWidth, tpl::kHeight);
    // The template's size is the smallest; the window can only be widened.
    m_nTemplateWidth = GetClientSize().x;
    m_nMovesFrom = m_pFile[0]->GetRect().GetRight();
    for (wxTextCtrl* pField : PathFields())
        m_nMovesFrom = std::min(m_nMovesFrom, pField->GetRect().GetRight());
    for (wxWindow* pChild : GetChildren()) m_templateRects.emplace_back(pChild, pChild->GetRect());
    SetMinSize(GetSize());
    SetMaxSize(wxSize(-1, GetSize().y));
}

std::vector<wxTextCtrl*> CCutSelectionDlg::PathFields() const {
    std::vector<wxTextCtrl*> fields(std::begin(m_pFile), std::end(m_pFile));
    fields.push_back(m_pOutputDir);
    return fields;
}

void CCutSelectionDlg::OnSize(wxSizeEvent& event) {
    event.Skip();
    if (m_templateRects.empty()) return;
    std::vector<wxTextCtrl*> fields = PathFields();
    int nExtra = std::max(0, GetClientSize().x - m_nTemplateWidth);
    for (auto [pCtrl, rc] : m_templateRects) {
        if (std::find(fields.begin(), fields.end(), pCtrl) != fields.end())
            rc.width += nExtra;
        else if (rc.x > m_nMovesFrom)
            rc.x += nExtra;
        pCtrl->SetSize(rc);
    }
    ShowPathEnds();
}

void CCutSelectionDlg::ShowPathEnds() {
    for (wxTextCtrl* pField : PathFields()) {
        pField->SetToolTip(pField->GetValue());
        if (!pField->HasFocus()) pField->SetInsertionPointEnd();
    }
}
