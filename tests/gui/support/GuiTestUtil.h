#pragma once

#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/evtloop.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>
#include <wx/window.h>

#include <functional>
#include <utility>

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

// Where a window's client area shows dark pixels (text), as the screen shows it: the leftmost
// and rightmost column, counted from the left edge; {-1, -1} when nothing dark shows. A window
// laid out right to left is read the same way (its client DC copies what the screen shows).
inline std::pair<int, int> inkColumns(wxWindow* window) {
    const wxSize size = window->GetClientSize();
    if (size.x <= 0 || size.y <= 0)
        return {-1, -1};
    wxBitmap shot(size.x, size.y);
    {
        wxMemoryDC memory(shot);
        wxClientDC client(window);
        memory.Blit(0, 0, size.x, size.y, &client, 0, 0);
    }
    const wxImage image = shot.ConvertToImage();
    int first = -1;
    int last = -1;
    for (int x = 0; x < size.x; ++x) {
        for (int y = 0; y < size.y; ++y) {
            if (image.GetRed(x, y) < 128 && image.GetGreen(x, y) < 128) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
        }
    }
    return {first, last};
}

}  // namespace Tavoro::Test
