#pragma once

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

#include <functional>

namespace Tavoro::Test {

// One turn of the event loop as the main loop runs it: queued events, native events, idle
// handling. Work that idle handlers do in slices (the main window's backlog of server frames)
// gets further turns at once, as in the main loop. Otherwise the thread waits in the toolkit's
// loop, as the main loop does, for at most 5 ms: an event posted by another thread (a frame
// from the reader) or a native event ends the wait at once, so what a test measures is not
// padded by a sleep the real program never takes.
inline void runEventsOnce() {
    wxTheApp->ProcessPendingEvents();
    wxYield();  // native events, queued events and one round of idle handling
    if (!wxTheApp->ProcessIdle()) {
        // Kept for the whole run; a loop object outliving the toolkit's cleanup is not safe.
        static wxGUIEventLoop* const waiter = new wxGUIEventLoop;
        waiter->DispatchTimeout(5);
    }
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
