// The application: runs the cut selection dialog once and ends when it closes.
#pragma once

#include <wx/app.h>

class CConverterApp : public wxApp {
public:
    // Starts the toolkit; when it cannot (no display), says so on standard error and
    // points to kestrix-convert instead of the toolkit's own words.
    bool Initialize(int& argc, wxChar** argv) override;

    // Reads no command-line arguments.
    bool OnInit() override;

    // Runs the main window modally, after its start-up steps, and returns 0 whatever its
    // result: the program ends when the window closes.
    int OnRun() override;
};
