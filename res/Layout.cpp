#include "res/Layout.h"

#include <algorithm>
#include <map>

#include "res/icons/kestrix16.xpm"
#include "res/icons/kestrix32.xpm"

void CTemplateLayout::Add(wxWindow* pCtrl, const SDlgRect& rc, EFit fit) {
    m_items.push_back({pCtrl, rc, fit});
}

void CTemplateLayout::Apply(int cx, int cy) {
    auto PxX = [&](int x) { return m_pDialog->ConvertDialogToPixels(wxPoint(x, 0)).x; };
    auto PxY = [&](int y) { return m_pDialog->ConvertDialogToPixels(wxPoint(0, y)).y; };

    // Pixels inserted at template x positions. A control is shifted by everything inserted
    // at or before its left edge, and is given what was inserted inside its own span.
    std::map<int, int> inserted;
    auto InsertedUpTo = [&](int x) {
        int n = 0;
        for (auto it = inserted.begin(); it != inserted.end() && it->first <= x; ++it)
            n += it->second;
        return n;
    };
    // Left to right by right edges, so that room made for one control also serves every
    // wider one spanning it.
    std::vector<const SItem*> items;
    for (const SItem& item : m_items) items.push_back(&item);
    std::stable_sort(items.begin(), items.end(), [](const SItem* a, const SItem* b) {
        return a->rc.x + a->rc.cx < b->rc.x + b->rc.cx;
    });
    for (const SItem* p : items) {
        if (p->fit != EFit::GrowToBest) continue;
        int nLeft = p->rc.x, nRight = p->rc.x + p->rc.cx;
        int nHave = PxX(nRight) - PxX(nLeft) + InsertedUpTo(nRight) - InsertedUpTo(nLeft);
        int nNeed = p->pCtrl->GetBestSize().x;
        if (nNeed > nHave) inserted[nRight] += nNeed - nHave;
    }

    for (const SItem& item : m_items) {
        const SDlgRect& rc = item.rc;
        wxPoint pos(PxX(rc.x) + InsertedUpTo(rc.x), PxY(rc.y));
        wxSize size(PxX(rc.x + rc.cx) - PxX(rc.x), PxY(rc.y + rc.cy) - PxY(rc.y));
        if (item.fit == EFit::GrowToBest) {
            // Taller about the centre, so the control stays level with its row.
            wxSize best = item.pCtrl->GetBestSize();
            int nGrowY = std::max(0, best.y - size.y);
            size.x = std::max(size.x, best.x);
            size.y += nGrowY;
            pos.y -= nGrowY / 2;
        }
        item.pCtrl->SetSize(wxRect(pos, size));
    }
    m_pDialog->SetClientSize(PxX(cx) + InsertedUpTo(cx), PxY(cy));
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
