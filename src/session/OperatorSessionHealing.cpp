// The session heals a lost connection by itself: retries with growing delays until it is
// live again, then takes back the chats that were open, sends what the operator wrote to them
// meanwhile, or says which ended while it was down.
#include <wx/intl.h>

#include <algorithm>
#include <random>

#include "messages/ClientRequests.h"
#include "net/ConnectionThread.h"
#include "session/OperatorSession.h"
#include "session/SessionObserver.h"
#include "tools/Placeholders.h"

namespace Tavoro::Session {
namespace {

// How often the timer looks whether the pending retry is due. The banner is shown once per
// retry (it goes to the operator's log too); the view counts down on its own.
constexpr int kRetryTickMs = 1000;

double randomJitter() {
    static std::mt19937 generator{std::random_device{}()};
    return std::uniform_real_distribution<double>(0.0, 1.0)(generator);
}

bool nobodyTalksTo(const Types::VisitorChatType& chat) {
    return chat.talkingTo.empty() || chat.talkingTo == "0";
}

}  // namespace

long OperatorSession::retryDelayMs(int attempt) {
    long delay = kFirstRetryMs;
    for (int i = 1; i < attempt && delay < kLongestRetryMs; ++i)
        delay *= 2;
    return std::min(delay, kLongestRetryMs);
}

long OperatorSession::retrySecondsLeft() const {
    if (m_retryDueMs < 0)
        return 0;
    const long left = m_retryDueMs - ConnectionThread::monotonicMs();
    return left <= 0 ? 0 : (left + 999) / 1000;
}

void OperatorSession::scheduleRetry() {
    ++m_retryAttempt;
    const double jitter = std::clamp(retryJitter ? retryJitter() : randomJitter(), 0.0, 1.0);
    const long delay = retryDelayMs(m_retryAttempt);
    m_retryDueMs = ConnectionThread::monotonicMs() + delay - static_cast<long>(delay * jitter / 5);
    m_retryTimer.Start(kRetryTickMs);
    showRetryBanner();
    if (m_observer)
        m_observer->retryChanged();
}

void OperatorSession::cancelRetry() {
    m_retryTimer.Stop();
    if (m_retryDueMs < 0)
        return;
    m_retryDueMs = -1;
    if (m_observer)
        m_observer->retryChanged();
}

void OperatorSession::showRetryBanner() {
    showStatus(Tools::fillPlaceholders(
        _("Connection lost, reconnecting in %SECONDS% s (attempt %ATTEMPT%)"),
        {{"%SECONDS%", wxString::Format("%ld", retrySecondsLeft())},
         {"%ATTEMPT%", wxString::Format("%d", m_retryAttempt)}}));
}

void OperatorSession::onRetryTick(wxTimerEvent&) {
    if (m_retryDueMs < 0) {
        m_retryTimer.Stop();
        return;
    }
    if (ConnectionThread::monotonicMs() >= m_retryDueMs)
        retryNow();
}

void OperatorSession::retryNow() {
    if (m_retryDueMs < 0)
        return;
    m_retryTimer.Stop();
    m_retryDueMs = -1;
    if (m_observer)
        m_observer->retryChanged();
    // Unlike the operator's reconnect, the count of attempts goes on until one is live.
    stopConnection();
    setState(State::Offline);
    connect();
}

void OperatorSession::reattachChats() {
    m_reattachOnNextList = false;
    const std::set<wxString> open = m_openChats;
    for (const wxString& chatId : open) {
        const Types::VisitorChatType* chat = findChat(chatId);
        if (chat && nobodyTalksTo(*chat)) {
            m_reattaching.insert(chatId);
            send(Messages::takeChatRequest(chatId));
        } else {
            endChatLostWhileAway(chatId);
        }
    }
}

void OperatorSession::finishReattach(const wxString& chatId) {
    if (!m_reattaching.erase(chatId))
        return;
    std::vector<wxString> held;
    const auto lines = m_heldLines.find(chatId);
    if (lines != m_heldLines.end()) {
        held = std::move(lines->second);
        m_heldLines.erase(lines);
    }
    for (const wxString& line : held)
        send(Messages::sendToRequest(chatId, line));
    if (m_observer)
        m_observer->chatReattached(chatId, true, held);
}

void OperatorSession::endChatLostWhileAway(const wxString& chatId) {
    m_openChats.erase(chatId);
    m_reattaching.erase(chatId);
    std::vector<wxString> held;
    const auto lines = m_heldLines.find(chatId);
    if (lines != m_heldLines.end()) {
        held = std::move(lines->second);
        m_heldLines.erase(lines);
    }
    if (m_observer)
        m_observer->chatReattached(chatId, false, held);
    applyAutoBusy();
}

}  // namespace Tavoro::Session
