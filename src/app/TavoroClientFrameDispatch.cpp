// Dispatch of server messages to their handlers, and the handlers of the connection's own
// conversation (server texts, errors, closing).
#include <wx/log.h>

#include "app/TavoroClientFrame.h"
#include "app/UiPrompts.h"

namespace Tavoro {

using namespace Messages;

void TavoroClientFrame::dispatchMessage(const TavoroMessage& message) {
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
        case MK_MSG:
            handleMsg(message);
            break;
        case MK_ERROR:
            handleError(message);
            break;
        case MK_CLOSE:
            handleClose();
            break;
        case MK_UNKNOWN:
            wxLogTrace("net", "Unhandled server message recieved: %s", message.command());
            break;
        case MK_EMPTY:
            wxLogTrace("net", "Empty Message Recieved: %s", message.toText());
            break;
        case MK_BOTAN_EXCEPTION:
            wxLogTrace("net", "Exception from decryption: %s", message.data());
            break;
        default:
            // Kinds without an effect on this client (rights, call-backs, ...).
            break;
    }
}

void TavoroClientFrame::handleMsg(const TavoroMessage& message) {
    UiPrompts::showMessage(this, message.data(), _("Message From Server"), wxOK);
}

void TavoroClientFrame::handleClose() {
    stopConnection();
    m_connected = false;
    showStatus(_("The server has closed the connection"));
}

void TavoroClientFrame::handleError(const TavoroMessage& message) {
    handleClose();
    handleMsg(message);
}

wxString TavoroClientFrame::operatorName(const wxString& connectionNumber) const {
    (void)connectionNumber;
    return _("Unknown Operator");
}

wxString TavoroClientFrame::siteDomain(const wxString& siteKey) const {
    (void)siteKey;
    return _("Unknown Domain");
}

}  // namespace Tavoro
