#pragma once

#include <wx/app.h>

// The application object: starts the toolkit pieces the client needs and opens the one
// main window.
class TavoroClientApp : public wxApp {
  public:
    bool OnInit() override;
    int OnExit() override;
    // Keeps the window alive when a handler throws: the exception is logged, not fatal.
    bool OnExceptionInMainLoop() override;
};

wxDECLARE_APP(TavoroClientApp);
