#include "app/TavoroClientApp.h"

#include <wx/image.h>
#include <wx/log.h>
#include <wx/socket.h>
#include <wx/utils.h>

#include <exception>

#include "app/PasswordStore.h"
#include "app/TavoroClientFrame.h"
#include "app/TrayIcon.h"
#include "settings/TavoroSettings.h"

bool TavoroClientApp::OnInit() {
    wxInitAllImageHandlers();
    wxSocketBase::Initialize();
    Tavoro::DesktopKeyring::install(Tavoro::getSettings());
    auto* frame = new Tavoro::TavoroClientFrame(nullptr, wxID_ANY);
    Tavoro::TrayIcon::showAtStart(*frame, Tavoro::getSettings());
    SetTopWindow(frame);
    frame->connectToServer();
    return true;
}

int TavoroClientApp::OnExit() {
    Tavoro::disposeSettings();
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
