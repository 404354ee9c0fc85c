// The help page of the main window: an HTML page installed with the program.
#pragma once

#include <string>

// The page's full path: beside the executable when there (a build tree), else where
// installation puts it relative to the executable. Empty when neither exists.
std::string HelpPagePath();

class wxWindow;

// Opens the page in the desktop's browser or, on a machine without one, in a modal
// viewer of its own over `pParent`. False when there is no page.
bool ShowHelpPage(wxWindow* pParent);
