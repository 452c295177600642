#pragma once

#include <wx/app.h>
#include <wx/evtloop.h>

#include <chrono>

namespace Tavoro::Test {

// A console event loop, active for the object's lifetime, that a test runs in short rounds
// without a display: each round waits (bounded) for a socket, a timer or a wake-up from another
// thread, handles the events queued meanwhile, and then the idle rounds, as the application's
// main loop would. Code that needs a running loop (socket and timer events, events posted by
// threads, idle handlers) makes progress only inside pumpOnce() and pumpUntil().
//
// The test binary is compiled for the GUI headers, where wxEventLoop is the GUI loop: the
// console loop and the console application are named explicitly.
class EventLoopPump {
  public:
    EventLoopPump() : m_activator(&m_loop) {}
    EventLoopPump(const EventLoopPump&) = delete;
    EventLoopPump& operator=(const EventLoopPump&) = delete;

    bool isOk() const { return m_loop.IsOk(); }

    // One round: waits at most waitMs for something to handle.
    void pumpOnce(unsigned long waitMs = 5) {
        m_loop.DispatchTimeout(waitMs);
        wxAppConsole* app = wxAppConsole::GetInstance();
        if (!app)
            return;
        app->ProcessPendingEvents();
        // An idle handler that asks for more gets more rounds, as under the main loop; bounded,
        // so that one that always asks cannot hold the test.
        for (int round = 0; round < 100 && app->ProcessIdle(); ++round)
            app->ProcessPendingEvents();
        app->ProcessPendingEvents();
    }

    // Runs the loop until cond() holds or ms milliseconds have passed; returns whether it held.
    template <typename Cond>
    bool pumpUntil(Cond cond, int ms = 5000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!cond()) {
            if (std::chrono::steady_clock::now() > deadline)
                return cond();
            pumpOnce();
        }
        return true;
    }

  private:
    wxConsoleEventLoop m_loop;
    wxEventLoopActivator m_activator;
};

}  // namespace Tavoro::Test
