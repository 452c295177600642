#include "session/InactivityRules.h"

namespace Tavoro::Session {

namespace {

constexpr long kMsPerMinute = 60 * 1000;

bool reached(long idleMs, long minutes) {
    return minutes > 0 && idleMs >= minutes * kMsPerMinute;
}

}  // namespace

InactivityRules::InactivityRules(std::function<void()> check) : m_ticker(std::move(check)) {}

InactivityRules::~InactivityRules() {
    m_ticker.Stop();
}

void InactivityRules::start() {
    rearm();
}

void InactivityRules::rearm() {
    const int period = m_away ? kCheckWhileAwayMs : kCheckMs;
    if (!m_ticker.IsRunning() || m_ticker.GetInterval() != period)
        m_ticker.Start(period);
}

void InactivityRules::forgetAway() {
    m_away = false;
    if (m_ticker.IsRunning())
        rearm();
}

InactivityRules::Step InactivityRules::decide(long awayMinutes, long logOffMinutes,
                                              const Situation& now) {
    const long idle = idleMs();
    Step step = Step::None;
    if (m_away && idle < m_idleWhenAway) {
        // The idle time went back: there was input since the operator was made Away.
        m_away = false;
        step = Step::Return;
    } else if (now.loggedIn && !now.chatOpen && reached(idle, logOffMinutes)) {
        // Checked before Away: with both limits passed at once the session just logs off.
        step = Step::LogOff;
    } else if (now.loggedIn && !m_away && now.status != Types::OperatorStatus::Away &&
               reached(idle, awayMinutes)) {
        // An operator already Away (chosen by hand) stays so, and nothing is restored later.
        m_away = true;
        m_statusUnderAway = now.status;
        m_idleWhenAway = idle;
        step = Step::MarkAway;
    }
    if (m_ticker.IsRunning())
        rearm();
    return step;
}

}  // namespace Tavoro::Session
