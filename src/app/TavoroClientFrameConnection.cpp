// The main window's side of the server connection: connecting without blocking the window,
// starting and stopping the reader thread, sending, and the events the thread posts.
#include <wx/socket.h>

#include "app/ClientIds.h"
#include "app/TavoroClientFrame.h"
#include "app/UiPrompts.h"
#include "net/ConnectionThread.h"
#include "net/HostLookup.h"
#include "net/NetTrace.h"
#include "settings/TavoroSettings.h"

namespace Tavoro {

namespace {
constexpr unsigned short kDefaultPort = 8011;
}  // namespace

void TavoroClientFrame::connectToServer() {
    wxString host = m_settings.getString(SETTING_SERVER_DNS_IP);
    while (host.empty()) {
        // Without a server there is nothing to connect to: ask for one. Cancel leaves the
        // window up without a connection; "Re&connect" asks again.
        if (UiPrompts::showOptions(this) != wxID_OK) {
            return;
        }
        host = m_settings.getString(SETTING_SERVER_DNS_IP);
    }

    const long stored = m_settings.getInt(SETTING_CLIENT_PORT_NUMBER);
    m_connectPort =
        (stored >= 1 && stored <= 65535) ? static_cast<unsigned short>(stored) : kDefaultPort;

    abandonConnectAttempt();
    // The whole attempt, the name's lookup included, gives up after kConnectTimeoutMs.
    m_connectTimer.StartOnce(kConnectTimeoutMs);
    const wxString numeric = Net::HostLookup::numericAddress(host);
    if (!numeric.empty()) {
        connectToAddress(numeric);
        return;
    }
    // A name is looked up off the window's thread: a slow or dead resolver must not freeze it.
    m_hostLookup = Net::HostLookup::start(this, ++m_hostLookupSerial, host);
}

void TavoroClientFrame::onHostResolved(wxThreadEvent& event) {
    if (!m_hostLookup || event.GetInt() != m_hostLookupSerial)
        return;  // an attempt given up or replaced meanwhile
    m_hostLookup.reset();
    if (event.GetString().empty()) {
        m_connectTimer.Stop();
        UiPrompts::showMessage(this, _("could not resolve host to IP address"),
                               _("Connection Error"), wxOK);
        return;
    }
    connectToAddress(event.GetString());
}

void TavoroClientFrame::connectToAddress(const wxString& dottedAddress) {
    wxIPV4address address;
    address.Hostname(dottedAddress);  // a dotted address: no lookup
    address.Service(m_connectPort);

    m_pendingSocket = new wxSocketClient(wxSOCKET_NONE);
    m_pendingSocket->SetEventHandler(*this, ID_SOCKET_CONNECT);
    m_pendingSocket->SetNotify(wxSOCKET_CONNECTION_FLAG | wxSOCKET_LOST_FLAG);
    m_pendingSocket->Notify(true);
    traceNet("connecting socket to server / client");
    const bool connectedAtOnce = m_pendingSocket->Connect(address, false);
    if (connectedAtOnce) {
        m_connectTimer.Stop();
        startReader();
    } else if (m_pendingSocket->LastError() == wxSOCKET_WOULDBLOCK) {
        // The outcome arrives as a socket event; the timer started with the attempt bounds the
        // wait.
    } else {
        m_connectTimer.Stop();
        abandonConnectAttempt();
        showStatus(_("Could not connect to the server"));
    }
}

void TavoroClientFrame::onSocketEvent(wxSocketEvent& event) {
    if (event.GetSocket() != m_pendingSocket || !m_pendingSocket) {
        return;
    }
    m_connectTimer.Stop();
    if (event.GetSocketEvent() == wxSOCKET_CONNECTION && m_pendingSocket->IsConnected()) {
        startReader();
    } else {
        abandonConnectAttempt();
        showStatus(_("Could not connect to the server"));
    }
}

void TavoroClientFrame::onConnectTimeout(wxTimerEvent&) {
    if (!m_pendingSocket && !m_hostLookup)
        return;
    abandonConnectAttempt();
    showStatus(_("Could not connect to the server"));
}

void TavoroClientFrame::abandonConnectAttempt() {
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

void TavoroClientFrame::startReader() {
    wxSocketClient* socket = m_pendingSocket;
    m_pendingSocket = nullptr;

    stopConnection();
    m_received = std::make_shared<ReceivedQueue>(this, ++m_connectionSerial);
    auto connection = std::make_unique<ConnectionThread>(socket, m_received);
    if (!connection->start()) {
        m_received.reset();
        showStatus(_("Could not connect to the server"));
        return;
    }
    m_connection = std::move(connection);
    // Each connection asks for the sites and the visitors once, and then for the live events.
    m_sitesRequested = false;
}

void TavoroClientFrame::stopConnection() {
    // Frames of a stopped connection are never handled.
    m_inbox.clear();
    if (m_received) {
        m_received->detach();
        m_received.reset();
    }
    // Shuts the socket down and joins the thread: at most the frame it is encrypting or
    // decrypting is finished first.
    m_connection.reset();
}

void TavoroClientFrame::reconnect() {
    stopConnection();
    m_connected = false;
    connectToServer();
}

void TavoroClientFrame::sendToServer(const wxString& text) {
    if (sentTextObserver)
        sentTextObserver(text);
    if (!m_connection) {
        traceNet("Tried to send data to thread, but thread does not exist.  Data was: " + text);
        return;
    }
    m_connection->send(text);
}

void TavoroClientFrame::onConnectionReady(wxThreadEvent& event) {
    if (!m_received || event.GetInt() != m_received->serial())
        return;  // queued by a connection that has since been stopped
    takeReceived();
}

void TavoroClientFrame::takeReceived() {
    if (!m_received)
        return;
    std::vector<ReceivedQueue::Item> items;
    m_received->takeAll(items);
    for (ReceivedQueue::Item& item : items) {
        if (item.lost)
            m_inbox.takeLoss(item.readAt);  // handled after the frames read before it
        else
            m_inbox.take(Messages::TavoroMessage(item.text), item.readAt);
    }
}

void TavoroClientFrame::handleConnectionLost() {
    stopConnection();
    m_connected = false;
    showStatus(_("The connection to the server was lost"));
}

}  // namespace Tavoro
