#include "ui/FileChooser.h"

// Windows matches the pattern whatever the letter case.
const char* DbaseFilter() { return "Dbase files (*.dbf)|*.dbf"; }
