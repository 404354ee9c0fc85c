// The help page of the main window: an HTML page installed with the program.
#pragma once

#include <string>

// The page's full path: beside the executable when there (a build tree), else where
// installation puts it relative to the executable. Empty when neither exists.
std::string HelpPagePath();

// Opens the page in the desktop's browser; false when there is no page or no browser.
bool ShowHelpPage();
