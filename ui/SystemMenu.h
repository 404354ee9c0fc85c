// The window's system menu (the menu of its title bar icon), one implementation per
// platform.
#pragma once

#include <wx/string.h>

class wxTopLevelWindow;

// Appends a separator and the item `strText` with command `nId` to the system menu of
// `window`; choosing it sends a wxEVT_MENU event with `nId` to the window. False where
// the platform gives the window no system menu to extend (GTK), so the caller can offer
// the item elsewhere.
bool AppendToSystemMenu(wxTopLevelWindow& window, int nId, const wxString& strText);
