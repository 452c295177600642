#include "messages/ClientRequests.h"

#include "messages/TavoroMessage.h"

namespace Tavoro::Messages {
namespace {

wxString byKind(MessageKind kind, const wxString& data) {
    return TavoroMessage(kind, data).toText();
}

wxString joined(const wxString& a, const wxString& b) {
    wxString text;
    text.reserve(a.length() + 1 + b.length());
    text << a << ':' << b;
    return text;
}

}  // namespace

wxString publicKeyRequest(const wxString& publicKeyBase64) {
    return "@PUBLICKEY:" + publicKeyBase64;
}

wxString getDaySummariesRequest() {
    return "@GETDS";
}

wxString getSiteDetailsRequest(const wxString& siteKey) {
    return byKind(MK_GETSD, siteKey);
}

wxString getVisitorsRequest() {
    return "@GET";
}

wxString startEventsRequest() {
    return "@STARTEVENTS";
}

wxString statusRequest(Types::OperatorStatus status) {
    return byKind(MK_STATUS, Types::operatorStatusField(status));
}

wxString statusRequest(unsigned status) {
    return byKind(MK_STATUS, wxString::Format("%u", status));
}

wxString getSiteDaySummaryRequest(const wxString& siteKey) {
    return byKind(MK_GETDSSITE, siteKey);
}

wxString getSiteSettingsRequest(const wxString& siteKey) {
    return "@GETSETTINGS:" + siteKey;
}

wxString takeChatRequest(const wxString& chatKey) {
    return byKind(MK_SEND_CHAT, chatKey);
}

wxString getPrevChatsRequest(const wxString& siteKey, const wxString& visitor) {
    return "@GETPREVCHATS:" + joined(siteKey, visitor);
}

wxString getPrevChatRequest(const wxString& siteKey, const wxString& chatId) {
    return "@GETPREVCHAT:" + joined(siteKey, chatId);
}

wxString getPrevVisitsRequest(const wxString& siteKey, const wxString& visitor,
                              const wxString& username) {
    return "@GETPREVVISITS:" + joined(joined(siteKey, visitor), username);
}

wxString sendToRequest(const wxString& chatKey, const wxString& line) {
    return byKind(MK_SENDTO, joined(chatKey, line));
}

wxString linkToRequest(const wxString& chatKey, const wxString& address) {
    return "@LINKTO:" + joined(chatKey, address);
}

wxString typingOnRequest(const wxString& chatKey) {
    return "@1:" + chatKey;
}

wxString typingOffRequest(const wxString& chatKey) {
    return "@0:" + chatKey;
}

wxString blockRequest(const wxString& ipAddress) {
    return "@BLOCK:" + ipAddress;
}

wxString closeChatRequest(const wxString& chatKey) {
    return byKind(MK_CLOSECHAT, chatKey);
}

wxString leaveRequest(const wxString& chatKey) {
    return byKind(MK_LEAVE, chatKey);
}

wxString closeRequest() {
    return "@CLOSE";
}

wxString pongReply(const wxString& pingData) {
    return byKind(MK_PONG, pingData);
}

}  // namespace Tavoro::Messages
