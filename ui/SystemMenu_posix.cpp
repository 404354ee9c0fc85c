#include "ui/SystemMenu.h"

bool AppendToSystemMenu(wxTopLevelWindow&, int, const wxString&) {
    return false;
}
