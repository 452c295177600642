#pragma once

#include <wx/app.h>

#include "app/CommandLine.h"

// The application object: starts the toolkit pieces the client needs and opens the one
// main window. main() reads the command line first.
class TavoroClientApp : public wxApp {
  public:
    bool OnInit() override;
    int OnExit() override;
    // Keeps the window alive when a handler throws: the exception is logged, not fatal.
    bool OnExceptionInMainLoop() override;

    // What the command line asked for, read before the toolkit starts.
    static void startWith(const Tavoro::CommandLine::Options& options);

  private:
    static Tavoro::CommandLine::Options s_options;
    static bool s_glProbeOff;  // GDK_GL was set for the start only
};

wxDECLARE_APP(TavoroClientApp);
