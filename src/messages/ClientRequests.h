#pragma once

#include <wx/string.h>

#include "types/OperatorStatus.h"

namespace Tavoro::Messages {

// The request texts the client sends, each built by one function; the result goes to the
// connection unchanged (framed and, once the session key is set, encrypted). Values are passed
// through as they are: no request escapes a separator inside a value. Requests with data carry
// the colon even when a value is empty; "@GETDS", "@GET", "@STARTEVENTS" and "@CLOSE" are the
// command alone. The classes C_GETVISIT, C_INVITE and C_TRANSFER build the three composite
// requests; the login is LoginMessage's.

// "@PUBLICKEY:" and the Base64 text of the client's public key (sent in a plain frame).
wxString publicKeyRequest(const wxString& publicKeyBase64);
// "@GETDS": the day summaries of every site.
wxString getDaySummariesRequest();
// "@GETSD:" site key: one site's details.
wxString getSiteDetailsRequest(const wxString& siteKey);
// "@GET": the full visitor list.
wxString getVisitorsRequest();
// "@STARTEVENTS": start the stream of visitor events.
wxString startEventsRequest();
// "@STATUS:" and the status's number: the operator's status changes.
wxString statusRequest(Types::OperatorStatus status);
// The same with the status as its number, sent as it is.
wxString statusRequest(unsigned status);
// "@GETDSSITE:" site key: one site's day summary.
wxString getSiteDaySummaryRequest(const wxString& siteKey);
// "@GETSETTINGS:" site key: one site's settings.
wxString getSiteSettingsRequest(const wxString& siteKey);
// "@CHAT:" chat key: the operator takes a waiting chat.
wxString takeChatRequest(const wxString& chatKey);
// "@GETPREVCHATS:" site key ":" visitor: the earlier chats of a visitor (the visitor's IP
// address when taking a chat, field 1 of the visit detail line from the visit detail).
wxString getPrevChatsRequest(const wxString& siteKey, const wxString& visitor);
// "@GETPREVCHAT:" site key ":" chat identifier: one earlier chat.
wxString getPrevChatRequest(const wxString& siteKey, const wxString& chatId);
// "@GETPREVVISITS:" site key ":" visitor ":" username: the earlier visits of a visitor.
wxString getPrevVisitsRequest(const wxString& siteKey, const wxString& visitor,
                              const wxString& username);
// "@SENDTO:" chat key ":" line: an operator's chat line. Callers send nothing when the chat key
// is empty.
wxString sendToRequest(const wxString& chatKey, const wxString& line);
// "@LINKTO:" chat key ":" address: pushes a link to the visitor.
wxString linkToRequest(const wxString& chatKey, const wxString& address);
// "@1:" chat key: the operator is typing; "@0:" chat key: the operator stopped.
wxString typingOnRequest(const wxString& chatKey);
wxString typingOffRequest(const wxString& chatKey);
// "@BLOCK:" IP address of the chatting visitor.
wxString blockRequest(const wxString& ipAddress);
// "@CLOSECHAT:" chat key.
wxString closeChatRequest(const wxString& chatKey);
// "@LEAVE:" chat key: a chat window closes.
wxString leaveRequest(const wxString& chatKey);
// "@CLOSE": the main window closes while connected.
wxString closeRequest();
// "@PONG:" the number of a server's "@PING": everything the server sent before the ping has
// been handled.
wxString pongReply(const wxString& pingData);

}  // namespace Tavoro::Messages
