// The secure session of one connection: greeting and key exchange, session data and login,
// and the server's confirmation.
#include "app/TavoroClientFrame.h"
#include "messages/LoginMessage.h"
#include "net/ConnectionThread.h"
#include "net/NetTrace.h"
#include "settings/LoginSettings.h"
#include "settings/TavoroSettings.h"

namespace Tavoro {

using namespace Messages;

void TavoroClientFrame::handleHello(const TavoroMessage& message) {
    m_hello = HelloMessage(message);
    wxString publicKey;
    wxString error;
    // Each greeting gets a fresh key; its primes replace those of any earlier greeting.
    if (!Net::makeClientKey(m_keyPrimes, publicKey, error)) {
        traceNet(error);
        return;
    }
    sendToServer("@PUBLICKEY:" + publicKey);
}

void TavoroClientFrame::handleSession(const TavoroMessage& message) {
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
    if (!m_connection) {
        return;
    }
    m_connected = true;
    m_connection->setSessionKey(m_session.sessionKey());
    // The login announces the status the toolbar shows: after a reconnect that is the
    // operator's last choice, which may differ from the stored default.
    sendToServer(LoginMessage(loginDetailsOf(m_settings), selectedStatus()).toText());
}

void TavoroClientFrame::refuseInsecureSession(const wxString& reason) {
    // Logging in under a key anybody can derive would expose the operator's password: the
    // connection is dropped instead, and "Re&connect" tries again.
    traceNet("No secure session: " + reason);
    stopConnection();
    m_connected = false;
    showStatus(S_SESSION::noSecureSessionText());
}

void TavoroClientFrame::handleConnected() {
    m_statusText = m_session.connectedText(m_hello.productName());
    showStatus(m_statusText);
    sendToServer("@GETDS");
}

}  // namespace Tavoro
