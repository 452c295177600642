// Every server message the session handles: the key exchange and the login, the sites and
// their visitors, chats, operators and the answers to the operator's questions.
#include <wx/translation.h>

#include "messages/ClientRequests.h"
#include "messages/LoginMessage.h"
#include "messages/S_CHAT.h"
#include "messages/S_CHATTRANSFER.h"
#include "messages/S_CURRENTCHAT.h"
#include "messages/S_CV.h"
#include "messages/S_DS.h"
#include "messages/S_EV.h"
#include "messages/S_FROMCLIENT.h"
#include "messages/S_MESSAGE.h"
#include "messages/S_PREVCHAT.h"
#include "messages/S_PREVCHATS.h"
#include "messages/S_PREVVISITS.h"
#include "messages/S_PopupMessage.h"
#include "messages/S_SS.h"
#include "messages/S_VISITDETAIL.h"
#include "messages/S_VISITORS.h"
#include "net/ConnectionThread.h"
#include "net/NetTrace.h"
#include "session/OperatorSession.h"
#include "session/SessionObserver.h"
#include "settings/LoginSettings.h"
#include "settings/TavoroSettings.h"

namespace Tavoro::Session {

using namespace Messages;

namespace {

// The chat line the server sends when the visitor has gone.
const wxString kVisitorLeft = "Visitor has left the conversation.";

}  // namespace

void OperatorSession::dispatch(const TavoroMessage& message) {
    SessionObserver* observer = m_observer;
    switch (message.kind()) {
        case MK_HELLO:
            handleHello(message);
            break;
        case MK_SESSION:
            handleSession(message);
            break;
        case MK_CONNECTED:
            handleConnected();
            break;
        case MK_DS:
            handleDaySummaries(message);
            break;
        case MK_SD:
            handleSiteDetails(message);
            break;
        case MK_CV:
            handleCurrentVisitors(message);
            break;
        case MK_EV:
            handleVisitorEvent(message);
            break;
        case MK_ER:
            handleVisitorRemoved(message);
            break;
        case MK_VISITORS:
            handleChatList(message);
            break;
        case MK_CLIENTS:
            handleOperators(message);
            break;
        case MK_CHAT:
            if (observer)
                observer->chatRequested(S_CHAT(message));
            break;
        case MK_CURRENTCHAT:
            handleCurrentChat(message);
            break;
        case MK_MESSAGE:
            handleChatLine(message);
            break;
        case MK_TYPING_ON:
        case MK_TYPING_OFF:
            if (observer && isChatOpen(message.data()))
                observer->typingChanged(message.data(), message.kind() == MK_TYPING_ON);
            break;
        case MK_PREVCHATS:
            if (observer)
                observer->prevChatsReceived(std::make_unique<S_PREVCHATS>(message));
            break;
        case MK_PREVVISITS:
            if (observer)
                observer->prevVisitsReceived(std::make_unique<S_PREVVISITS>(message));
            break;
        case MK_VISITDETAIL:
            if (observer)
                observer->visitDetailReceived(std::make_unique<S_VISITDETAIL>(message));
            break;
        case MK_PREVCHAT:
            if (observer)
                observer->prevChatReceived(std::make_unique<S_PREVCHAT>(message));
            break;
        case MK_SS:
            if (observer)
                observer->siteSettingsReceived(std::make_unique<S_SS>(message));
            break;
        case MK_POPUP:
            if (observer)
                observer->popupReceived(S_PopupMessage(message));
            break;
        case MK_FROMCLIENT:
            handleFromClient(message);
            break;
        case MK_MSG:
            if (observer)
                observer->sessionAlert(message.data(), _("Message From Server"));
            break;
        case MK_ERROR:
            connectionEnded(_("The server has closed the connection"));
            if (observer)
                observer->sessionAlert(message.data(), _("Message From Server"));
            break;
        case MK_CLOSE:
            connectionEnded(_("The server has closed the connection"));
            break;
        case MK_PING:
            // Answered in turn with the frames before it: the server learns how far behind
            // this client is.
            send(pongReply(message.data()));
            break;
        case MK_UNKNOWN:
            traceNet("Unhandled server message recieved: " + message.command());
            if (unhandledMessageObserver)
                unhandledMessageObserver(message);
            break;
        case MK_EMPTY:
            traceNet("Empty Message Recieved: " + message.toText());
            break;
        case MK_BOTAN_EXCEPTION:
            traceNet("Exception from decryption: " + message.data());
            break;
        default:
            // Kinds without an effect on this client (rights, call-backs, ...).
            break;
    }
}

// ---------------------------------------------------------------- key exchange and login

OperatorSession::PreparedKey OperatorSession::makeClientKey() {
    PreparedKey key;
    key.ok = Net::makeClientKey(key.primes, key.publicKey, key.error);
    return key;
}

void OperatorSession::prepareClientKey() {
    // Each key is used for one greeting only: a key made for an attempt that never got a
    // greeting waits for the next one.
    if (m_nextKey)
        return;
    m_nextKey = std::make_unique<KeyJob>();
    KeyJob* job = m_nextKey.get();
    job->worker = std::thread([job] { job->key = makeClientKey(); });
}

OperatorSession::PreparedKey OperatorSession::takeClientKey() {
    if (!m_nextKey)
        return makeClientKey();
    m_nextKey->worker.join();
    PreparedKey key = m_nextKey->key;
    m_nextKey.reset();
    return key;
}

void OperatorSession::handleHello(const TavoroMessage& message) {
    m_hello = HelloMessage(message);
    // Each greeting gets a fresh key; its primes replace those of any earlier greeting.
    PreparedKey key = takeClientKey();
    if (!key.ok) {
        traceNet(key.error);
        return;
    }
    m_keyPrimes = key.primes;
    send(publicKeyRequest(key.publicKey));
}

void OperatorSession::handleSession(const TavoroMessage& message) {
    wxString plain;
    wxString error;
    if (!Net::decryptSessionData(m_keyPrimes, message.data(), plain, error)) {
        traceNet(error);
        refuseInsecureSession(error);
        return;
    }
    TavoroMessage session(message);
    session.setData(plain);
    m_session = S_SESSION(session);
    if (!m_session.hasSessionKey()) {
        refuseInsecureSession("session data without a session key");
        return;
    }
    showStatus(m_session.connectingText());
    if (!m_connection)
        return;
    m_connection->setSessionKey(m_session.sessionKey());
    setState(State::LoggedIn);
    // The login announces the status the operator has chosen: after a reconnect that is the
    // last choice, which may differ from the stored default.
    LoginDetails details = loginDetailsOf(m_settings);
    if (m_typedPassword) {
        details.password = *m_typedPassword;
        m_typedPassword.reset();
    }
    send(LoginMessage(details, m_loginStatus).toText());
}

void OperatorSession::refuseInsecureSession(const wxString& reason) {
    // Logging in under a key anybody can derive would expose the operator's password: the
    // connection is dropped instead, and a reconnect tries again.
    traceNet("No secure session: " + reason);
    connectionEnded(S_SESSION::noSecureSessionText());
}

void OperatorSession::handleConnected() {
    // Logged in: the connection is live again.
    cancelRetry();
    m_retryAttempt = 0;
    // The login worked: a password the settings file still holds moves to the keyring.
    movePasswordToKeeper(m_settings);
    m_statusText = m_session.connectedText(m_hello.productName());
    showStatus(m_statusText);
    send(getDaySummariesRequest());
}

// ---------------------------------------------------------------- sites and visitors

void OperatorSession::handleDaySummaries(const TavoroMessage& message) {
    const S_DS summaries(message);
    for (const auto& summary : summaries.summaries()) {
        if (!summary.site.empty())
            m_daySummaries[summary.site] = summary;
    }
    if (!m_sitesRequested) {
        // The first summaries of a connection name the monitored sites: ask for each site's
        // details, then for the visitors. A record too short to name its site names none.
        m_sitesRequested = true;
        for (const auto& summary : summaries.summaries()) {
            if (!summary.site.empty())
                send(getSiteDetailsRequest(summary.site));
        }
        send(getVisitorsRequest());
        return;
    }
    if (m_observer)
        m_observer->daySummariesChanged();
}

void OperatorSession::handleSiteDetails(const TavoroMessage& message) {
    auto site = std::make_unique<S_SD>(message);
    if (site->siteKey().empty())
        return;  // too few fields: nothing to show
    for (auto& known : m_sites) {
        if (known->siteKey() == site->siteKey()) {
            // A site's details again (a reconnect): the newer ones replace the older.
            *known = std::move(*site);
            if (m_observer)
                m_observer->siteAdded(*known);
            return;
        }
    }
    m_sites.push_back(std::move(site));
    if (m_observer)
        m_observer->siteAdded(*m_sites.back());
}

void OperatorSession::handleCurrentVisitors(const TavoroMessage& message) {
    // Views refer to the records of the list: they let go before it is rebuilt.
    if (m_observer)
        m_observer->visitorsReloading();
    S_CV rebuild(message, m_visitors);
    if (m_observer)
        m_observer->visitorsReloaded();
    send(startEventsRequest());
}

void OperatorSession::handleVisitorEvent(const TavoroMessage& message) {
    ++m_eventsHandled;
    S_EV event(message);
    if (event.visitorKey().empty())
        return;  // too few fields
    const Types::VisitorList::EventOutcome outcome = m_visitors.applyEvent(std::move(event));
    if (!outcome.visitor || !m_observer)
        return;
    if (outcome.added) {
        m_observer->siteCountChanged(outcome.visitor->site(),
                                     m_visitors.siteCount(outcome.visitor->site()));
        m_observer->visitorAdded(*outcome.visitor);
    } else {
        m_observer->visitorChanged(outcome.previousKey, *outcome.visitor);
        if (outcome.visitor->isProspect() &&
            !Types::VisitorType::isProspectStatus(outcome.previousStatus))
            m_observer->visitorBecameProspect(*outcome.visitor);
    }
}

void OperatorSession::handleVisitorRemoved(const TavoroMessage& message) {
    ++m_eventsHandled;
    const wxString& key = message.data();
    const Types::VisitorType* visitor = m_visitors.findByKey(key);
    if (!visitor)
        return;
    const wxString site = visitor->site();
    if (m_observer)
        m_observer->visitorLeaving(*visitor);
    m_visitors.removeByKey(key);
    if (m_observer)
        m_observer->siteCountChanged(site, m_visitors.siteCount(site));
}

// ---------------------------------------------------------------- chats and operators

void OperatorSession::handleChatList(const TavoroMessage& message) {
    m_chats = S_VISITORS(message).records();
    if (m_observer)
        m_observer->chatListChanged();
    if (m_reattachOnNextList && isLoggedIn())
        reattachChats();
}

void OperatorSession::handleOperators(const TavoroMessage& message) {
    m_operators = std::make_unique<S_CLIENTS>(message);
    if (m_observer)
        m_observer->operatorsChanged();
}

void OperatorSession::handleCurrentChat(const TavoroMessage& message) {
    const S_CURRENTCHAT chat(message);
    const Types::VisitorChatType* listed = findChatOfVisitor(chat.ipAddress(), chat.visitorName());
    if (!listed || !isChatOpen(listed->id))
        return;
    if (m_observer)
        m_observer->currentChatReceived(listed->id, chat);
    finishReattach(listed->id);
}

void OperatorSession::handleChatLine(const TavoroMessage& message) {
    const S_MESSAGE line(message);
    if (!isChatOpen(line.chatId()))
        return;
    if (line.text() == kVisitorLeft) {
        m_openChats.erase(line.chatId());
        m_reattaching.erase(line.chatId());
        m_heldLines.erase(line.chatId());
        if (m_observer)
            m_observer->visitorLeftChat(line.chatId());
        applyAutoBusy();
        return;
    }
    if (m_observer)
        m_observer->chatLineReceived(line, m_frameReadAt);
}

void OperatorSession::handleFromClient(const TavoroMessage& message) {
    const S_FROMCLIENT from(message);
    if (from.isTransfer()) {
        const S_CHATTRANSFER offer(from);
        traceNet("Chat transfer offer from " + offer.from() + " for " + offer.detail2());
    }
}

}  // namespace Tavoro::Session
