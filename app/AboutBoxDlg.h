// The About box (template 100): the program's icon, name and version, and OK.
#pragma once

#include <wx/dialog.h>

class CAboutBoxDlg : public wxDialog {
public:
    // Opens centred over `pOwner` when run with ShowModal(); OK, Esc and the close box end
    // it.
    explicit CAboutBoxDlg(wxWindow* pOwner);
};
