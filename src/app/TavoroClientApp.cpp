#include "app/TavoroClientApp.h"

#include <wx/image.h>
#include <wx/log.h>
#include <wx/socket.h>
#include <wx/utils.h>

#include <exception>

#include "app/TavoroClientFrame.h"
#include "net/ConnectionThread.h"
#include "settings/TavoroSettings.h"

bool TavoroClientApp::OnInit() {
    wxInitAllImageHandlers();
    wxSocketBase::Initialize();
    auto* frame = new Tavoro::TavoroClientFrame(nullptr, wxID_ANY);
    frame->Show(true);
    SetTopWindow(frame);
    frame->connectToServer();
    return true;
}

int TavoroClientApp::OnExit() {
    // A stopped connection thread ends within one read wait; let it finish before the toolkit
    // tears down its thread support, which it still uses while it ends.
    for (int i = 0; i < 50 && Tavoro::ConnectionThread::liveCount() > 0; ++i) {
        wxMilliSleep(20);
    }
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
