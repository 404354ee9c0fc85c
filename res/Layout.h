// Placing controls by dialog units, and the program's window icons.
#pragma once

#include <vector>

#include <wx/iconbndl.h>
#include <wx/window.h>

#include "res/Templates.h"

// How a control may deviate from its template rectangle.
enum class EFit {
    Exact,      // exactly the template's size (wrapping text, the log edit)
    GrowToBest  // at least the platform's best size, so that the larger controls of some
                // themes are not cut off: wider to the right, taller about the same centre
};

// Places the controls of one window by their template rectangles. The template fixes
// where each control stands relative to the others; the platform decides how big a
// button or a check box must be. So when a control needs more width than its rectangle
// gives, everything the template puts at or beyond that rectangle's right edge moves
// right by the difference, and the window widens with it: controls apart in the
// template stay apart on the screen.
class CTemplateLayout {
public:
    explicit CTemplateLayout(wxWindow* pDialog) : m_pDialog(pDialog) {}

    void Add(wxWindow* pCtrl, const SDlgRect& rc, EFit fit = EFit::GrowToBest);

    // Places every control added and gives the window a client area of `cx` by `cy`
    // dialog units, plus the width the grown controls took.
    void Apply(int cx, int cy);

private:
    struct SItem {
        wxWindow* pCtrl;
        SDlgRect rc;
        EFit fit;
    };
    wxWindow* m_pDialog;
    std::vector<SItem> m_items;
};

// Icon 128 as large (32x32) and small (16x16) images.
wxIconBundle AppIcons();
wxIcon LargeAppIcon();
