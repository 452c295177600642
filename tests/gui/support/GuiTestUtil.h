#pragma once

#include <wx/app.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

#include <functional>

namespace Tavoro::Test {

// One turn of the event loop as the main loop runs it: queued events, native events, idle
// handling. Work that idle handlers do in slices (the main window's backlog of server frames)
// gets further turns at once, as in the main loop; otherwise the thread rests for 5 ms.
inline void runEventsOnce() {
    wxTheApp->ProcessPendingEvents();
    wxYield();  // native events, queued events and one round of idle handling
    if (!wxTheApp->ProcessIdle())
        wxMilliSleep(5);
}

// Runs the event loop until the condition holds or the time limit passes; returns whether the
// condition held. Tests wait for conditions, never for fixed sleeps.
inline bool waitFor(const std::function<bool()>& condition, long limitMs = 10000) {
    wxStopWatch watch;
    while (!condition()) {
        if (watch.Time() > limitMs)
            return condition();
        runEventsOnce();
    }
    return true;
}

// Lets pending events run for a short while (for checks that something did NOT happen).
inline void pumpEvents(long ms = 100) {
    wxStopWatch watch;
    while (watch.Time() < ms)
        runEventsOnce();
}

}  // namespace Tavoro::Test
