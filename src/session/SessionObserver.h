#pragma once

#include <wx/string.h>

#include <memory>
#include <vector>

namespace Tavoro {
namespace Types {
class VisitorType;
}
namespace Messages {
class S_CHAT;
class S_CURRENTCHAT;
class S_MESSAGE;
class S_PREVCHAT;
class S_PREVCHATS;
class S_PREVVISITS;
class S_PopupMessage;
class S_SD;
class S_SS;
class S_VISITDETAIL;
}  // namespace Messages

namespace Session {

// What a view of the operator's session hears from it. Every call comes on the GUI thread,
// while the session handles a server message or a step of its connection; the state the call
// names is already updated in the session when it comes. Each has an empty default, so a view
// overrides only what it shows.
class SessionObserver {
  public:
    virtual ~SessionObserver() = default;

    // Connection. A status banner for the status bar; the connection went up or down.
    virtual void sessionStatus(const wxString& /*text*/) {}
    virtual void connectionChanged() {}
    // No server is configured: ask the operator for one. True when one was entered.
    virtual bool serverWanted() { return false; }
    // The operator types the password at every login ("Always Ask For Password"): asked before
    // each connection is opened. True, with the password, to log on; false when the operator
    // declines, and then no connection is opened.
    virtual bool loginPasswordWanted(const wxString& /*userName*/, const wxString& /*server*/,
                                     wxString& /*password*/) {
        return false;
    }
    // Something the operator must read before going on (a connection error, the server's
    // message box).
    virtual void sessionAlert(const wxString& /*text*/, const wxString& /*title*/) {}

    // Sites and visitors.
    virtual void siteAdded(const Messages::S_SD& /*site*/) {}
    virtual void daySummariesChanged() {}
    // The visitor list is about to be rebuilt (records go away), and has been rebuilt.
    virtual void visitorsReloading() {}
    virtual void visitorsReloaded() {}
    virtual void visitorAdded(const Types::VisitorType& /*visitor*/) {}
    virtual void visitorChanged(const wxString& /*previousKey*/,
                                const Types::VisitorType& /*visitor*/) {}
    // A listed visitor who was not a prospect has just become one.
    virtual void visitorBecameProspect(const Types::VisitorType& /*visitor*/) {}
    // Called before the record goes away.
    virtual void visitorLeaving(const Types::VisitorType& /*visitor*/) {}
    virtual void siteCountChanged(const wxString& /*siteKey*/, long /*count*/) {}
    // The frames at hand have been handled (views may repaint what they noted meanwhile).
    virtual void framesHandled() {}

    // The session changed the operator's status by itself (busy while chatting to many, away
    // while inactive, back on return).
    virtual void operatorStatusChanged() {}

    // Chats and operators.
    virtual void chatListChanged() {}
    virtual void operatorsChanged() {}
    virtual void chatRequested(const Messages::S_CHAT& /*request*/) {}
    virtual void currentChatReceived(const wxString& /*chatId*/,
                                     const Messages::S_CURRENTCHAT& /*chat*/) {}
    // A line of an open chat; readAt is when its frame was read (monotonic ms).
    virtual void chatLineReceived(const Messages::S_MESSAGE& /*line*/, long /*readAt*/) {}
    // The visitor left an open chat; the chat is no longer open.
    virtual void visitorLeftChat(const wxString& /*chatId*/) {}
    virtual void typingChanged(const wxString& /*chatId*/, bool /*typing*/) {}
    // After a reconnect: an open chat is the operator's again (its transcript came back just
    // before) and the lines written meanwhile have now been sent; or it ended while the
    // connection was down, and those lines were not sent.
    virtual void chatReattached(const wxString& /*chatId*/, bool /*stillOurs*/,
                                const std::vector<wxString>& /*heldLines*/) {}
    // A retry of the connection was scheduled, made or given up (isRetryPending tells).
    virtual void retryChanged() {}

    // Answers to the operator's questions.
    virtual void prevChatsReceived(std::unique_ptr<Messages::S_PREVCHATS> /*chats*/) {}
    virtual void prevVisitsReceived(std::unique_ptr<Messages::S_PREVVISITS> /*visits*/) {}
    virtual void visitDetailReceived(std::unique_ptr<Messages::S_VISITDETAIL> /*detail*/) {}
    virtual void prevChatReceived(std::unique_ptr<Messages::S_PREVCHAT> /*chat*/) {}
    virtual void siteSettingsReceived(std::unique_ptr<Messages::S_SS> /*settings*/) {}
    virtual void popupReceived(const Messages::S_PopupMessage& /*popup*/) {}
};

}  // namespace Session
}  // namespace Tavoro
