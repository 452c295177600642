#include "app/TavoroClientApp.h"

#include <wx/image.h>
#include <wx/log.h>
#include <wx/socket.h>
#include <wx/stdpaths.h>
#include <wx/uilocale.h>
#include <wx/utils.h>

#include <exception>

#include "app/OperatorLog.h"
#include "app/PasswordStore.h"
#include "app/TavoroClientFrame.h"
#include "app/Translations.h"
#include "app/TrayIcon.h"
#include "settings/TavoroSettings.h"
#include "tools/ImagesDirectory.h"

Tavoro::CommandLine::Options TavoroClientApp::s_options;
bool TavoroClientApp::s_glProbeOff = false;

void TavoroClientApp::startWith(const Tavoro::CommandLine::Options& options) {
    s_options = options;
    // The client draws nothing with OpenGL: without this, opening the display loads and probes
    // the GL libraries, a fifth of the start-up and about 50 MiB. A value the user set is kept.
    if (!wxGetEnv("GDK_GL", nullptr))
        s_glProbeOff = wxSetEnv("GDK_GL", "disable");
    // The same as the environment variable, which the settings store reads.
    if (!options.settingsFile.empty())
        wxSetEnv("TAVORO_SETTINGS_FILE", options.settingsFile);
}

bool TavoroClientApp::OnInit() {
    // The display is open: programs started from here (a browser, a player) get the
    // environment as it was.
    if (s_glProbeOff)
        wxUnsetEnv("GDK_GL");
    // The desktop's language and formats; English where the client has no translation.
    wxUILocale::UseDefault();
    Tavoro::Translations::setUp(
        Tavoro::Tools::localeDirectoryFor(wxStandardPaths::Get().GetExecutablePath()));
    Tavoro::OperatorLog::start();
    wxInitAllImageHandlers();
    wxSocketBase::Initialize();
    // No window of the client handles idle or update-UI events itself (the session's idle
    // handler is the application's), so neither is sent to each of the few hundred windows on
    // every pass of the event loop; under a stream of visitor events that was a fixed cost.
    wxIdleEvent::SetMode(wxIDLE_PROCESS_SPECIFIED);
    wxUpdateUIEvent::SetMode(wxUPDATE_UI_PROCESS_SPECIFIED);
    Tavoro::DesktopKeyring::install(Tavoro::getSettings());
    auto* frame = new Tavoro::TavoroClientFrame(nullptr, wxID_ANY);
    Tavoro::TrayIcon::showAtStart(*frame, Tavoro::getSettings(), s_options.minimized);
    SetTopWindow(frame);
    frame->connectToServer();
    return true;
}

int TavoroClientApp::OnExit() {
    Tavoro::disposeSettings();
    Tavoro::OperatorLog::stop();
    return wxApp::OnExit();
}

bool TavoroClientApp::OnExceptionInMainLoop() {
    try {
        throw;
    } catch (const std::exception& e) {
        wxLogDebug("Unhandled exception in an event handler: %s", e.what());
    } catch (...) {
        wxLogDebug("Unhandled exception of unknown type in an event handler");
    }
    return true;
}
