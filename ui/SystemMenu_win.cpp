#include "ui/SystemMenu.h"

#include <wx/menu.h>
#include <wx/toplevel.h>

bool AppendToSystemMenu(wxTopLevelWindow& window, int nId, const wxString& strText) {
    // wx wraps the real system menu: items added to it send their command as a menu
    // event, as long as the id stays below the system's own SC_ commands.
    wxMenu* pMenu = window.MSWGetSystemMenu();
    if (!pMenu) return false;
    pMenu->AppendSeparator();
    pMenu->Append(nId, strText);
    return true;
}
