// The session's connection: the server's name looked up off the GUI thread, a connect that
// never blocks, the connection's I/O thread, and the inbox of what it reads.
//
// The reader hands frames over in batches, with one wake-up per batch. Handling a batch at
// once would make a chat line wait for every visitor event read before it, and a burst of
// thousands of frames would keep input and painting waiting until the last one was handled.
// So the wake-up only files the frames into the inbox, which is cheap. The toolkit follows
// every pass over the queued events with an idle round, and the idle handler handles the filed
// frames (chat windows' frames first, see Inbox.h) for at most kSliceMs per round. Before each
// frame of the rest it files what the reader has handed over meanwhile, so a chat line waits
// for at most the frame being handled. What is left when the time is up is handled in further
// rounds, with input and painting in between. The loss of the connection is handled after
// every frame read before it.
#include <wx/app.h>
#include <wx/socket.h>

#include "messages/ClientRequests.h"
#include "net/ConnectionThread.h"
#include "net/HostLookup.h"
#include "net/NetTrace.h"
#include "session/OperatorSession.h"
#include "session/SessionObserver.h"
#include "settings/TavoroSettings.h"

namespace Tavoro::Session {

namespace {

constexpr long kSliceMs = 8;
// The socket's events while a connect is in progress.
constexpr int kConnectSocketId = 1;
constexpr int kConnectTimerId = 1;
constexpr int kRetryTimerId = 2;

}  // namespace

OperatorSession::OperatorSession(TavoroSettings& settings)
    : m_settings(settings),
      m_connectTimer(this, kConnectTimerId),
      m_retryTimer(this, kRetryTimerId),
      m_inactivity([this] { checkInactivity(); }) {
    Bind(EVT_CONNECTION_READY, &OperatorSession::onConnectionReady, this);
    Bind(Net::EVT_HOST_RESOLVED, &OperatorSession::onHostResolved, this);
    Bind(wxEVT_SOCKET, &OperatorSession::onSocketEvent, this, kConnectSocketId);
    Bind(wxEVT_TIMER, &OperatorSession::onConnectTimeout, this, kConnectTimerId);
    Bind(wxEVT_TIMER, &OperatorSession::onRetryTick, this, kRetryTimerId);
    if (wxTheApp) {
        wxTheApp->Bind(wxEVT_IDLE, &OperatorSession::onIdle, this);
        m_inactivity.start();
    }
}

OperatorSession::~OperatorSession() {
    if (wxTheApp)
        wxTheApp->Unbind(wxEVT_IDLE, &OperatorSession::onIdle, this);
    m_connectTimer.Stop();
    m_retryTimer.Stop();
    abandonConnectAttempt();
    stopConnection();
}

void OperatorSession::connect() {
    wxString host = m_settings.getString(SETTING_SERVER_DNS_IP);
    while (host.empty()) {
        // Without a server there is nothing to connect to: ask for one. Without an answer the
        // session stays offline; a reconnect asks again.
        if (!m_observer || !m_observer->serverWanted())
            return;
        host = m_settings.getString(SETTING_SERVER_DNS_IP);
    }
    m_connectPort = serverPortOf(m_settings);
    m_connectHost = host;
    // Asked before the connection is opened: the server never waits on the prompt.
    if (!askLoginPassword(host)) {
        abandonConnectAttempt();
        m_connectTimer.Stop();
        setState(State::Offline);
        showStatus(
            _("Not logged on: no password was given. To log on, choose Reconnect in "
              "the File menu."));
        return;
    }

    abandonConnectAttempt();
    setState(State::Connecting);
    prepareClientKey();
    // The whole attempt, the name's lookup included, gives up after kConnectTimeoutMs.
    m_connectTimer.StartOnce(kConnectTimeoutMs);
    const wxString numeric = Net::HostLookup::numericAddress(host);
    if (!numeric.empty()) {
        connectToAddress(numeric);
        return;
    }
    m_hostLookup = Net::HostLookup::start(this, ++m_hostLookupSerial, host);
}

bool OperatorSession::askLoginPassword(const wxString& host) {
    m_typedPassword.reset();
    if (!m_settings.getBool(SETTING_ALWAYS_ASK_FOR_PASSWORD))
        return true;
    wxString password;
    if (!m_observer ||
        !m_observer->loginPasswordWanted(m_settings.getString(SETTING_USERNAME), host, password))
        return false;
    m_typedPassword = password;
    return true;
}

void OperatorSession::reconnect() {
    // The operator's own reconnect starts the count of attempts afresh.
    cancelRetry();
    m_retryAttempt = 0;
    stopConnection();
    setState(State::Offline);
    connect();
}

void OperatorSession::disconnect() {
    if (m_state == State::LoggedIn)
        send(Messages::closeRequest());
    m_connectTimer.Stop();
    cancelRetry();
    m_retryAttempt = 0;
    abandonConnectAttempt();
    stopConnection(true);
    setState(State::Offline);
}

void OperatorSession::onHostResolved(wxThreadEvent& event) {
    if (!m_hostLookup || event.GetInt() != m_hostLookupSerial)
        return;  // an attempt given up or replaced meanwhile
    m_hostLookup.reset();
    if (event.GetString().empty()) {
        m_connectTimer.Stop();
        setState(State::Offline);
        if (m_autoReconnect && !m_settings.getBool(SETTING_ALWAYS_ASK_FOR_PASSWORD)) {
            // The name may come back with the network: try again later rather than alarm.
            scheduleRetry();
            return;
        }
        if (m_observer)
            m_observer->sessionAlert(_("could not resolve host to IP address"),
                                     _("Connection Error"));
        return;
    }
    connectToAddress(event.GetString());
}

void OperatorSession::connectToAddress(const wxString& dottedAddress) {
    wxIPV4address address;
    address.Hostname(dottedAddress);  // a dotted address: no lookup
    address.Service(m_connectPort);

    m_pendingSocket = new wxSocketClient(wxSOCKET_NONE);
    m_pendingSocket->SetEventHandler(*this, kConnectSocketId);
    m_pendingSocket->SetNotify(wxSOCKET_CONNECTION_FLAG | wxSOCKET_LOST_FLAG);
    m_pendingSocket->Notify(true);
    traceNet("connecting socket to server / client");
    if (m_pendingSocket->Connect(address, false)) {
        m_connectTimer.Stop();
        wxSocketClient* socket = m_pendingSocket;
        m_pendingSocket = nullptr;
        startConnection(socket);
    } else if (m_pendingSocket->LastError() != wxSOCKET_WOULDBLOCK) {
        m_connectTimer.Stop();
        abandonConnectAttempt();
        connectionEnded(_("Could not connect to the server"), AfterEnd::Retry);
    }
    // Otherwise the outcome arrives as a socket event; the timer bounds the wait.
}

void OperatorSession::onSocketEvent(wxSocketEvent& event) {
    if (!m_pendingSocket || event.GetSocket() != m_pendingSocket)
        return;
    m_connectTimer.Stop();
    if (event.GetSocketEvent() == wxSOCKET_CONNECTION && m_pendingSocket->IsConnected()) {
        wxSocketClient* socket = m_pendingSocket;
        m_pendingSocket = nullptr;
        startConnection(socket);
    } else {
        abandonConnectAttempt();
        connectionEnded(_("Could not connect to the server"), AfterEnd::Retry);
    }
}

void OperatorSession::onConnectTimeout(wxTimerEvent&) {
    if (!m_pendingSocket && !m_hostLookup)
        return;
    abandonConnectAttempt();
    connectionEnded(_("Could not connect to the server"), AfterEnd::Retry);
}

void OperatorSession::abandonConnectAttempt() {
    if (m_hostLookup) {
        m_hostLookup->cancel();
        m_hostLookup.reset();
    }
    if (m_pendingSocket) {
        m_pendingSocket->Notify(false);
        m_pendingSocket->Destroy();
        m_pendingSocket = nullptr;
    }
}

void OperatorSession::startConnection(wxSocketClient* socket) {
    stopConnection();
    m_received = std::make_shared<ReceivedQueue>(this, ++m_connectionSerial);
    auto connection = std::make_unique<ConnectionThread>(
        socket, m_received, ConnectionThread::kWriteTimeoutSeconds, tlsOptionsOf(m_connectHost));
    if (!connection->start()) {
        m_received.reset();
        connectionEnded(_("Could not connect to the server"), AfterEnd::Retry);
        return;
    }
    m_connection = std::move(connection);
    // Each connection asks for the sites and the visitors once, and then for the live events.
    m_sitesRequested = false;
    setState(State::KeyExchange);
}

Net::TlsOptions OperatorSession::tlsOptionsOf(const wxString& host) const {
    Net::TlsOptions tls;
    tls.enabled = m_settings.getBool(SETTING_USE_TLS);
    tls.hostName = std::string(host.utf8_str());
    tls.caFile =
        std::string(m_settings.getString(SETTING_TLS_CA_FILE).Strip(wxString::both).fn_str());
    tls.pinSha256 = std::string(m_settings.getString(SETTING_TLS_PIN_SHA256).utf8_str());
    return tls;
}

void OperatorSession::stopConnection(bool sendQueuedFirst) {
    // The chats open on this connection are taken back on the next one; until then what the
    // operator writes to them is held.
    if (m_connection && !m_openChats.empty())
        m_reattachOnNextList = true;
    m_reattaching.clear();
    // Frames of a stopped connection are never handled.
    m_inbox.clear();
    if (m_received) {
        m_received->detach();
        m_received.reset();
    }
    // Shuts the socket down and joins the thread: at most the frame it is encrypting or
    // decrypting is finished first.
    if (m_connection)
        m_connection->stop(sendQueuedFirst);
    m_connection.reset();
}

void OperatorSession::connectionEnded(const wxString& banner, AfterEnd after) {
    stopConnection();
    setState(State::Offline);
    // A password typed for each login is asked for again by the operator's own reconnect, not
    // by a prompt popping up on its own while nobody may be there.
    if (after == AfterEnd::Retry && m_autoReconnect &&
        !m_settings.getBool(SETTING_ALWAYS_ASK_FOR_PASSWORD)) {
        scheduleRetry();
        return;
    }
    cancelRetry();
    showStatus(banner);
}

void OperatorSession::setState(State state) {
    if (m_state == state)
        return;
    m_state = state;
    if (m_observer)
        m_observer->connectionChanged();
}

void OperatorSession::showStatus(const wxString& text) {
    if (m_observer)
        m_observer->sessionStatus(text);
}

void OperatorSession::send(const wxString& text) {
    if (sentTextObserver)
        sentTextObserver(text);
    if (!m_connection) {
        traceNet("Tried to send data to thread, but thread does not exist.  Data was: " + text);
        return;
    }
    m_connection->send(text);
}

void OperatorSession::onConnectionReady(wxThreadEvent& event) {
    if (!m_received || event.GetInt() != m_received->serial())
        return;  // queued by a connection that has since been stopped
    takeReceived();
}

void OperatorSession::takeReceived() {
    if (!m_received)
        return;
    std::vector<ReceivedQueue::Item> items;
    m_received->takeAll(items);
    for (ReceivedQueue::Item& item : items) {
        if (item.lost)
            m_inbox.takeLoss(item.readAt, item.failure);
        else
            m_inbox.take(Messages::TavoroMessage::taking(item.text), item.readAt);
    }
}

bool OperatorSession::handleWaiting(long sliceMs) {
    // A handler that runs a nested event loop (the server's message box) lets the frames after
    // its own be handled meanwhile, in order, so the live view goes on and nothing piles up
    // while the operator reads it.
    const long sliceStart = ConnectionThread::monotonicMs();
    bool handled = false;
    // Views learn when the frames at hand are handled, so that they paint once per pass.
    const auto passEnds = [&] {
        if (handled && m_observer)
            m_observer->framesHandled();
    };
    while (ConnectionThread::monotonicMs() - sliceStart < sliceMs) {
        // Before a frame of the other line, file what arrived meanwhile, so that a chat line
        // read while the last frame was handled goes first.
        if (!m_inbox.chatFrameFirst())
            takeReceived();
        Inbox::Item item;
        if (!m_inbox.next(item)) {
            passEnds();
            return false;
        }
        handled = true;
        if (item.lost && item.failure != Net::TlsFailure::None) {
            // A refused secure connection is not tried again: it would be refused again.
            connectionEnded(Net::tlsFailureText(item.failure));
        } else if (item.lost) {
            connectionEnded(_("The connection to the server was lost"), AfterEnd::Retry);
        } else {
            m_frameReadAt = item.readAt;
            dispatch(item.message);
        }
    }
    passEnds();
    return !m_inbox.empty();
}

void OperatorSession::onIdle(wxIdleEvent& event) {
    event.Skip();
    if (handleWaiting(kSliceMs))
        event.RequestMore();
}

}  // namespace Tavoro::Session
