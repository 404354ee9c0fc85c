// The help page of the main window: an HTML page installed with the program.
#pragma once

#include <string>

class IMessageBox;
class wxWindow;

// The page's full path: beside the executable when there (a build tree), else where
// installation puts it relative to the executable (also when it is not there, so that
// the user can be told where it was looked for).
std::string HelpPagePath();

// Shows the page at `strPath` in a modal viewer over `pParent`. A page that cannot be read
// is never a silent no-op: the user is told which file and why through `box`. The
// program's own viewer rather than the desktop's browser, because a launched browser
// gives no word back on whether it could show anything.
void ShowHelpPage(wxWindow* pParent, const std::string& strPath, IMessageBox& box);
