// The controls of the cut selection dialog, created in tab order and placed by the
// dialog-unit rectangles of its template.
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "res/Layout.h"
#include "res/Strings.h"
#include "ui/CutSelectionDlg.h"
#include "ui/WxText.h"

namespace tpl = cutsel_template;

namespace {

SDlgRect InRow(const SDlgRect& rc, int nRow) {
    return {rc.x, tpl::kRowTop + nRow * tpl::kRowPitch + rc.y, rc.cx, rc.cy};
}

void AddLabel(wxWindow* pDlg, const char* pszText, const SDlgRect& rc) {
    PlaceControl(pDlg, new wxStaticText(pDlg, wxID_ANY, pszText), rc);
}

}  // namespace

void CCutSelectionDlg::CreateControls() {
    auto* pOk = new wxButton(this, wxID_OK, "OK");
    auto* pCancel = new wxButton(this, wxID_CANCEL, "Cancel");
    auto* pHelp = new wxButton(this, wxID_HELP, "&Help");
    pOk->SetDefault();
    PlaceControl(this, pOk, tpl::kOk);
    PlaceControl(this, pCancel, tpl::kCancel);
    PlaceControl(this, pHelp, tpl::kHelp);

    for (int i = 0; i < kCutCount; ++i) {
        // The check box has no caption of its own: the column head names it.
        m_pLoad[i] = new wxCheckBox(this, tpl::IDC_LOAD + 2 * i, wxEmptyString);
        // The row label shows the cut's name; what the program passes on is the string.
        auto* pName = new wxStaticText(this, wxID_ANY, ToWx(LoadString(g_cuts[i].nNameId)));
        m_pFile[i] = new wxTextCtrl(this, tpl::IDC_FILE + 2 * i);
        auto* pBrowse = new wxButton(this, tpl::IDC_BROWSE + i, "Browse");
        PlaceControl(this, m_pLoad[i], InRow(tpl::kLoad, i));
        PlaceControl(this, pName, InRow(tpl::kName, i));
        PlaceControl(this, m_pFile[i], InRow(tpl::kFile, i));
        PlaceControl(this, pBrowse, InRow(tpl::kBrowse, i));
    }

    AddLabel(this, "Output folder", tpl::kOutputLabel);
    m_pOutputDir = new wxTextCtrl(this, tpl::IDC_OUTPUT_DIR, wxEmptyString, wxDefaultPosition,
                                  wxDefaultSize, wxTE_READONLY);
    PlaceControl(this, m_pOutputDir, tpl::kOutputDir);
    PlaceControl(this, new wxButton(this, tpl::IDC_CHANGE_OUTPUT, "Change"), tpl::kChange);

    AddLabel(this, "Cut", tpl::kHeadCut);
    AddLabel(this, "File name", tpl::kHeadFile);
    AddLabel(this, "Load?", tpl::kHeadLoad);
    auto* pExplanation = new wxStaticText(
        this, wxID_ANY,
        "The following cuts will be loaded from corresponding files. Change file names in "
        "\"File name\" column to load from a different place. Click OK to load the data or "
        "Cancel to abandon the whole operation.");
    PlaceControl(this, pExplanation, tpl::kExplanation, EFit::Exact);
    pExplanation->Wrap(pExplanation->GetSize().x);

    SizeInDialogUnits(this, tpl::kWidth, tpl::kHeight);
}
