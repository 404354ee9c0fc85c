#include "app/AboutBoxDlg.h"

#include <wx/button.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "res/Layout.h"

namespace tpl = about_template;

CAboutBoxDlg::CAboutBoxDlg(wxWindow* pOwner)
    : wxDialog(pOwner, wxID_ANY, "About kestrix", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
    auto* pIcon = new wxStaticBitmap(this, wxID_ANY, LargeAppIcon());
    auto* pText = new wxStaticText(this, wxID_ANY, "Zelmarot pricelist converter Version 1.0.2");
    auto* pOk = new wxButton(this, wxID_OK, "OK");
    pOk->SetDefault();
    SetEscapeId(wxID_OK);

    CTemplateLayout layout(this);
    layout.Add(pIcon, tpl::kIcon, EFit::Exact);
    layout.Add(pText, tpl::kText);
    layout.Add(pOk, tpl::kOk);
    layout.Apply(tpl::kWidth, tpl::kHeight);
    // An icon control takes the size of its icon, its top left corner where the template
    // puts it; a wider rectangle would centre the icon lower and to the right.
    pIcon->SetSize(pIcon->GetBestSize());
    SetIcons(AppIcons());
    CentreOnParent();
}
