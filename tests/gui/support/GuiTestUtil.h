#pragma once

#include <wx/app.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

#include <functional>

namespace Tavoro::Test {

// Runs the event loop until the condition holds or the time limit passes; returns whether the
// condition held. Tests wait for conditions, never for fixed sleeps.
inline bool waitFor(const std::function<bool()>& condition, long limitMs = 10000) {
    wxStopWatch watch;
    while (!condition()) {
        if (watch.Time() > limitMs)
            return condition();
        wxTheApp->ProcessPendingEvents();
        wxYield();
        wxMilliSleep(5);
    }
    return true;
}

// Lets pending events run for a short while (for checks that something did NOT happen).
inline void pumpEvents(long ms = 100) {
    wxStopWatch watch;
    while (watch.Time() < ms) {
        wxTheApp->ProcessPendingEvents();
        wxYield();
        wxMilliSleep(5);
    }
}

}  // namespace Tavoro::Test
