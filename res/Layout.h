// Placing controls by dialog units, and the program's window icons.
#pragma once

#include <wx/iconbndl.h>
#include <wx/window.h>

#include "res/Templates.h"

// How a control may deviate from its template rectangle.
enum class EFit {
    Exact,      // exactly the template's size (wrapping text, the log edit)
    GrowToBest  // at least the platform's best size, grown around the same centre, so
                // that the larger controls of some themes are not cut off
};

// Places `pCtrl` at `rc` (dialog units of `pDialog`).
void PlaceControl(wxWindow* pDialog, wxWindow* pCtrl, const SDlgRect& rc,
                  EFit fit = EFit::GrowToBest);

// Gives `pDialog` a client area of `cx` by `cy` dialog units.
void SizeInDialogUnits(wxWindow* pDialog, int cx, int cy);

// Icon 128 as large (32x32) and small (16x16) images.
wxIconBundle AppIcons();
wxIcon LargeAppIcon();
