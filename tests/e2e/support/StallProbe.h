#pragma once

// Measures how long the GUI thread leaves its events waiting while a test runs the event loop.
//
//   Tavoro::Test::StallProbe probe;       // starts pinging at once
//   ... run the event loop (waitFor, pumpEvents, a main loop) ...
//   probe.stop();
//   std::printf("[figures] longest GUI stall %ld ms over %lu pings\n", probe.longestMs(),
//               probe.count());
//
// A background thread posts a ping to the GUI thread (wxTheApp->CallAfter) every interval;
// each ping records how long it waited between being posted and being run. Only one ping is
// outstanding at a time, so a long stall shows up as one long wait instead of flooding the
// queue with pings that would then cost the GUI thread time of their own.
//
// stop() (also run by the destructor) joins the thread; a ping still queued at that moment
// does nothing when it runs later, and the state it touches outlives the probe. Stop the probe
// before the application object goes away. Header-only; no assertions inside.

#include <wx/app.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace Tavoro::Test {

class StallProbe {
  public:
    explicit StallProbe(int intervalMs = 10, bool startNow = true) : m_intervalMs(intervalMs) {
        if (startNow)
            start();
    }
    ~StallProbe() { stop(); }
    StallProbe(const StallProbe&) = delete;
    StallProbe& operator=(const StallProbe&) = delete;

    // Starts pinging (again); the figures keep what earlier runs measured until reset().
    void start() {
        if (m_thread.joinable())
            return;
        {
            std::lock_guard<std::mutex> lock(m_state->mutex);
            m_state->running = true;
            m_state->outstanding = 0;
        }
        m_thread = std::thread([this, state = m_state] { run(state); });
    }

    // Stops pinging and waits for the pinging thread to end. Idempotent.
    void stop() {
        if (!m_thread.joinable())
            return;
        {
            std::lock_guard<std::mutex> lock(m_state->mutex);
            m_state->running = false;
        }
        m_state->wake.notify_all();
        m_thread.join();
    }

    void reset() {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        m_state->longestMs = 0;
        m_state->count = 0;
        m_state->totalMs = 0;
    }

    // The longest wait of a ping that has run, in milliseconds.
    long longestMs() const {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        return m_state->longestMs;
    }
    // Pings that have run.
    unsigned long count() const {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        return m_state->count;
    }
    // Mean wait of the pings that have run, in milliseconds.
    double meanMs() const {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        return m_state->count ? m_state->totalMs / m_state->count : 0.0;
    }

  private:
    using clock = std::chrono::steady_clock;

    // Shared with the queued pings, so a ping that runs after the probe is gone touches live
    // memory and sees that it is no longer wanted.
    struct State {
        std::mutex mutex;
        std::condition_variable wake;
        bool running = false;
        unsigned long outstanding = 0;  // serial of the ping waiting to run, 0: none
        unsigned long serial = 0;
        long longestMs = 0;
        unsigned long count = 0;
        double totalMs = 0;
    };

    void run(const std::shared_ptr<State>& state) {
        std::unique_lock<std::mutex> lock(state->mutex);
        while (state->running) {
            if (state->outstanding == 0 && wxTheApp) {
                const unsigned long serial = ++state->serial;
                state->outstanding = serial;
                const clock::time_point postedAt = clock::now();
                lock.unlock();
                wxTheApp->CallAfter([state, serial, postedAt] {
                    const double waited =
                        std::chrono::duration<double, std::milli>(clock::now() - postedAt).count();
                    std::lock_guard<std::mutex> guard(state->mutex);
                    // A ping of an earlier run (stopped, maybe started again) does not count.
                    if (!state->running || state->outstanding != serial)
                        return;
                    state->outstanding = 0;
                    state->count += 1;
                    state->totalMs += waited;
                    state->longestMs = std::max(state->longestMs, static_cast<long>(waited));
                });
                lock.lock();
            }
            state->wake.wait_for(lock, std::chrono::milliseconds(m_intervalMs),
                                 [&] { return !state->running; });
        }
    }

    const int m_intervalMs;
    std::shared_ptr<State> m_state = std::make_shared<State>();
    std::thread m_thread;
};

}  // namespace Tavoro::Test
