// Dispatch of server messages to their handlers, and the handlers of the connection's own
// conversation (server texts, errors, closing).
#include "app/TavoroClientFrame.h"
#include "app/UiPrompts.h"
#include "net/NetTrace.h"

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
            handleChattingVisitors(message);
            break;
        case MK_CLIENTS:
            handleOperators(message);
            break;
        case MK_CHAT:
            handleChatRequest(message);
            break;
        case MK_CURRENTCHAT:
            handleCurrentChat(message);
            break;
        case MK_MESSAGE:
            handleChatLine(message);
            break;
        case MK_TYPING_ON:
            handleTyping(message, true);
            break;
        case MK_TYPING_OFF:
            handleTyping(message, false);
            break;
        case MK_PREVCHATS:
            handlePrevChats(message);
            break;
        case MK_PREVVISITS:
            handlePrevVisits(message);
            break;
        case MK_VISITDETAIL:
            handleVisitDetail(message);
            break;
        case MK_PREVCHAT:
            handlePrevChat(message);
            break;
        case MK_SS:
            handleSiteSettings(message);
            break;
        case MK_POPUP:
            handlePopup(message);
            break;
        case MK_FROMCLIENT:
            handleFromClient(message);
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

}  // namespace Tavoro
