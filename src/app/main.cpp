#include <wx/app.h>
#include <wx/stdpaths.h>

#include <cstdio>

#include "app/CommandLine.h"
#include "app/TavoroClientApp.h"
#include "app/Translations.h"
#include "tools/ImagesDirectory.h"

wxIMPLEMENT_APP_NO_MAIN(TavoroClientApp);

// The command line is read before the toolkit starts: --help, --version, --paths and mistakes
// are answered without a display. The application reads what it asked for in OnInit.
int main(int argc, char** argv) {
    Tavoro::CommandLine::Outcome outcome;
    {
        // wxStandardPaths needs an application object; the real one is made by wxEntry.
        wxAppConsole early;
        wxApp::SetInstance(&early);
        const wxString executable = wxStandardPaths::Get().GetExecutablePath();
        Tavoro::Translations::setUp(Tavoro::Tools::localeDirectoryFor(executable));
        outcome = Tavoro::CommandLine::parse(argc, argv, executable);
        wxApp::SetInstance(nullptr);
    }
    std::fputs(outcome.out.utf8_str(), stdout);
    std::fputs(outcome.err.utf8_str(), stderr);
    if (outcome.exitStatus)
        return *outcome.exitStatus;
    TavoroClientApp::startWith(outcome.options);
    return wxEntry(argc, argv);
}
