#include "ui/FileChooser.h"

// GTK matches patterns case-sensitively, and the publisher's tables reach Linux machines
// from Windows with any spelling of the extension.
const char* DbaseFilter() { return "Dbase files (*.dbf)|*.dbf;*.DBF;*.Dbf"; }
