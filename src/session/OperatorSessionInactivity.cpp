// The inactivity rules applied to the session: Away after "Mark me as Away" minutes without
// input, the status from before on return, and a clean log-off after "Automatically Log Off"
// minutes without input while no chat is open.
//
// How they share the operator's status with the auto-busy rule (applyAutoBusy): the status the
// operator chose is at the bottom, auto-busy may cover it with Busy, and auto-away may cover
// either with Away. An operator made Busy by auto-busy and then idle becomes Away; while Away,
// auto-busy goes on following the open chats but changes only the status Away covers, so on
// return the operator gets what auto-busy gives at that moment (Busy while still at the limit,
// the chosen status once below it). A status chosen by hand ends both spells, and neither rule
// restores anything over it; an operator who chose Away by hand is never "returned".
#include <wx/translation.h>

#include "session/OperatorSession.h"
#include "session/SessionObserver.h"
#include "settings/TavoroSettings.h"

namespace Tavoro::Session {

namespace {

// What the options dialog shows, and so what the operator expects, when a key is missing.
constexpr long kDefaultAwayMinutes = 10;
constexpr long kDefaultLogOffMinutes = 60;

long minutesSetting(const TavoroSettings& settings, int id, long whenMissing) {
    return settings.exists(id) ? settings.getInt(id) : whenMissing;
}

}  // namespace

void OperatorSession::setIdleSource(InactivityRules::IdleSource source) {
    m_inactivity.setIdleSource(std::move(source));
}

void OperatorSession::checkInactivity() {
    const long awayMinutes =
        minutesSetting(m_settings, SETTING_MINUTES_TO_LOG_OFF_AFTER, kDefaultAwayMinutes);
    const long logOffMinutes =
        minutesSetting(m_settings, SETTING_MINUTES_INACTIVE_UNTIL_LOGOFF, kDefaultLogOffMinutes);
    InactivityRules::Situation now;
    now.loggedIn = isLoggedIn();
    now.chatOpen = !m_openChats.empty();
    now.status = m_loginStatus;

    switch (m_inactivity.decide(awayMinutes, logOffMinutes, now)) {
        case InactivityRules::Step::None:
            return;
        case InactivityRules::Step::MarkAway:
            changeStatus(Types::OperatorStatus::Away);
            break;
        case InactivityRules::Step::Return:
            changeStatus(m_inactivity.statusUnderAway());
            break;
        case InactivityRules::Step::LogOff:
            disconnect();
            if (m_inactivity.isAway()) {
                // The next log-on announces the status the operator had before going idle.
                m_loginStatus = m_inactivity.statusUnderAway();
                m_inactivity.forgetAway();
                if (m_observer)
                    m_observer->operatorStatusChanged();
            }
            showStatus(wxString::Format(
                _("Logged off after %ld minutes without input. To log on again, choose "
                  "Reconnect in the File menu."),
                logOffMinutes));
            return;
    }
    if (m_observer)
        m_observer->operatorStatusChanged();
}

}  // namespace Tavoro::Session
