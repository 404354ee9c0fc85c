#include "res/Layout.h"

#include <algorithm>

#include "res/icons/kestrix16.xpm"
#include "res/icons/kestrix32.xpm"

void PlaceControl(wxWindow* pDialog, wxWindow* pCtrl, const SDlgRect& rc, EFit fit) {
    wxPoint pos = pDialog->ConvertDialogToPixels(wxPoint(rc.x, rc.y));
    wxSize size = pDialog->ConvertDialogToPixels(wxSize(rc.cx, rc.cy));
    if (fit == EFit::GrowToBest) {
        // Widen to the right, as a left-aligned label or check box would; grow in height
        // about the centre so the control stays on its row.
        wxSize best = pCtrl->GetBestSize();
        int nGrowY = std::max(0, best.y - size.y);
        size.x = std::max(size.x, best.x);
        size.y += nGrowY;
        pos.y -= nGrowY / 2;
    }
    pCtrl->SetSize(wxRect(pos, size));
}

void SizeInDialogUnits(wxWindow* pDialog, int cx, int cy) {
    pDialog->SetClientSize(pDialog->ConvertDialogToPixels(wxSize(cx, cy)));
}

wxIconBundle AppIcons() {
    wxIconBundle icons;
    icons.AddIcon(wxIcon(kestrix32_xpm));
    icons.AddIcon(wxIcon(kestrix16_xpm));
    return icons;
}

wxIcon LargeAppIcon() {
    return wxIcon(kestrix32_xpm);
}
