#pragma once

#include <wx/timer.h>

#include <functional>

#include "types/OperatorStatus.h"

namespace Tavoro::Session {

// What the operator's inactivity does: after the "Mark me as Away" minutes without keyboard or
// mouse input the status becomes Away, and the first input after that brings back the status
// Away covers; after the "Automatically Log Off" minutes without input, and with no chat open,
// the session logs off. This class reads the idle time and decides; the session acts.
//
// The idle time comes from a source the view installs (the desktop's idle time); without one
// the operator counts as active all the time, so no rule ever fires. A timer checks every few
// seconds, every second while the operator is held Away so that the return is noticed quickly.
class InactivityRules {
  public:
    // Milliseconds since the operator's last keyboard or mouse input.
    using IdleSource = std::function<long()>;

    enum class Step { None, MarkAway, Return, LogOff };

    // What the session is doing when a check runs.
    struct Situation {
        bool loggedIn = false;
        bool chatOpen = false;
        Types::OperatorStatus status = Types::OperatorStatus::Online;
    };

    static constexpr int kCheckMs = 5000;
    static constexpr int kCheckWhileAwayMs = 1000;

    // check runs on every tick of the timer (the session's checkInactivity).
    explicit InactivityRules(std::function<void()> check);
    ~InactivityRules();
    InactivityRules(const InactivityRules&) = delete;
    InactivityRules& operator=(const InactivityRules&) = delete;

    void setIdleSource(IdleSource source) { m_idleSource = std::move(source); }
    long idleMs() const { return m_idleSource ? m_idleSource() : 0; }

    // Starts the periodic check (the session starts it once an application exists).
    void start();

    // Reads the idle time and decides against the two limits in minutes (0 or less: off).
    // MarkAway and Return update the books here: after MarkAway the session shows Away, after
    // Return the status statusUnderAway() names.
    Step decide(long awayMinutes, long logOffMinutes, const Situation& now);

    // Whether the rule holds the operator Away, and the status it covers: the one the operator
    // gets back on return. The auto-busy rule changes that status while the operator is away.
    bool isAway() const { return m_away; }
    Types::OperatorStatus statusUnderAway() const { return m_statusUnderAway; }
    void setStatusUnderAway(Types::OperatorStatus status) { m_statusUnderAway = status; }
    // The operator chose a status by hand, or the session logged off: nothing is restored.
    void forgetAway();

  private:
    class Ticker : public wxTimer {
      public:
        explicit Ticker(std::function<void()> tick) : m_tick(std::move(tick)) {}
        void Notify() override { m_tick(); }

      private:
        std::function<void()> m_tick;
    };

    void rearm();

    IdleSource m_idleSource;
    Ticker m_ticker;
    bool m_away = false;
    Types::OperatorStatus m_statusUnderAway = Types::OperatorStatus::Online;
    // The idle time when the rule made the operator Away: any smaller reading means input.
    long m_idleWhenAway = 0;
};

}  // namespace Tavoro::Session
