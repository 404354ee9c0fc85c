// The application: runs the cut selection dialog once and ends when it closes.
#pragma once

#include <wx/app.h>

class CConverterApp : public wxApp {
public:
    // Reads no command-line arguments.
    bool OnInit() override;

    // Runs the main window modally, after its start-up steps, and returns 0 whatever its
    // result: the program ends when the window closes.
    int OnRun() override;
};
