#include "app/DesktopIdle.h"

#include <wx/app.h>
#include <wx/event.h>
#include <wx/utils.h>

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

#include <algorithm>

namespace Tavoro {

namespace {

bool isInput(wxEventType type) {
    return type == wxEVT_KEY_DOWN || type == wxEVT_CHAR || type == wxEVT_LEFT_DOWN ||
           type == wxEVT_RIGHT_DOWN || type == wxEVT_MIDDLE_DOWN || type == wxEVT_AUX1_DOWN ||
           type == wxEVT_AUX2_DOWN || type == wxEVT_MOTION || type == wxEVT_MOUSEWHEEL;
}

}  // namespace

DesktopIdle::DesktopIdle(Sources sources) : m_lastInput(Clock::now()) {
    if (sources == Sources::DesktopAndOwnInput) {
        const wxDisplayInfo info = wxGetDisplayInfo();
        auto* display = static_cast<Display*>(info.dpy);
        int eventBase = 0;
        int errorBase = 0;
        if (info.type == wxDisplayX11 && display &&
            XScreenSaverQueryExtension(display, &eventBase, &errorBase))
            m_display = display;
    }
    wxEvtHandler::AddFilter(this);
}

DesktopIdle::~DesktopIdle() {
    wxEvtHandler::RemoveFilter(this);
}

int DesktopIdle::FilterEvent(wxEvent& event) {
    if (isInput(event.GetEventType()))
        m_lastInput = Clock::now();
    return Event_Skip;
}

long DesktopIdle::idleMs() const {
    const auto own =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_lastInput);
    long idle = static_cast<long>(own.count());
    if (m_display) {
        XScreenSaverInfo* info = XScreenSaverAllocInfo();
        if (info && XScreenSaverQueryInfo(m_display, DefaultRootWindow(m_display), info))
            idle = std::min(idle, static_cast<long>(info->idle));
        if (info)
            XFree(info);
    }
    return idle;
}

}  // namespace Tavoro
