// The entry point of the window program; the headless converter has its own.
#include "app/ConverterApp.h"

wxIMPLEMENT_APP(CConverterApp);
