#pragma once

#include <wx/string.h>

namespace Tavoro::Types {
class Alert;
}
namespace Tavoro::Messages {
class S_CLIENTS;
}

namespace Tavoro {

// What widgets and dialogs may ask of the main window. They never include the main window's
// header; the main window implements this interface (tests can implement it too).
class ClientServices {
  public:
    virtual ~ClientServices() = default;

    // Hands a request text to the connection; dropped when there is none.
    virtual void sendToServer(const wxString& text) = 0;

    // Lookups.
    // Name of the operator with that connection number ("Unknown Operator" when unknown,
    // empty for "0" or an empty number).
    virtual wxString operatorName(const wxString& connectionNumber) const = 0;
    // Domain of the monitored site with that key ("Unknown Domain" when unknown).
    virtual wxString siteDomain(const wxString& siteKey) const = 0;
    // The alert with that id among the alerts of the site with that key, or null.
    virtual const Types::Alert* findAlert(const wxString& siteKey,
                                          const wxString& alertId) const = 0;
    // The latest list of logged-in operators, or null before the first one arrived.
    virtual const Messages::S_CLIENTS* operatorList() const = 0;

    // Requests on behalf of the visit detail panels and chat windows.
    virtual void requestPrevChat(const wxString& siteKey, const wxString& chatId) = 0;
    virtual void requestPrevChats(const wxString& siteKey, const wxString& ipAddress) = 0;
    virtual void requestPrevVisits(const wxString& siteKey, const wxString& ipAddress,
                                   const wxString& username) = 0;
    virtual void pushLink(const wxString& chatId, const wxString& address) = 0;
    virtual void sendChatText(const wxString& chatId, const wxString& line) = 0;
    virtual void sendTyping(const wxString& chatId, bool typing) = 0;
    // Asks the server to block the visitor of a chat; false when no request went out (the chat
    // is not in the list of chatting visitors, or there is no connection).
    virtual bool blockVisitor(const wxString& chatId) = 0;
    virtual void leaveChat(const wxString& chatId) = 0;
    virtual void closeChat(const wxString& chatId) = 0;
    virtual void transferChat(const wxString& chatId, const wxString& webSite,
                              const wxString& visitorName, const wxString& targetOperator) = 0;
    // Asks for the day summaries of the sites the selection covers (one site, or all of them)
    // when the "Day Summary" page is shown; returns whether a request was sent.
    virtual bool requestDaySummary() = 0;
};

}  // namespace Tavoro
