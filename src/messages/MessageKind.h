#pragma once

#include <wx/string.h>

namespace Tavoro::Messages {

// Kinds of protocol messages in both directions. The numbers are fixed; only the command
// texts travel on the wire.
enum MessageKind : unsigned {
    MK_RIGHTS = 0,
    MK_VISITORS = 1,
    MK_CLIENTS = 2,
    MK_FROMCLIENT = 3,
    MK_CALLBACKS = 4,
    MK_CONNECTED = 6,
    MK_CURRENTCHAT = 7,
    MK_MSG = 9,
    MK_POPUP = 10,
    MK_CHAT = 11,
    MK_CV = 13,
    MK_DS = 14,
    MK_SD = 15,
    MK_PREVCHAT = 21,
    MK_PREVCHATS = 22,
    MK_SESSION = 24,
    MK_PREVVISITS = 25,
    MK_VISITDETAIL = 27,
    MK_MESSAGE = 28,
    MK_TYPING_ON = 29,
    MK_TYPING_OFF = 30,
    MK_SS = 31,
    MK_EV = 32,
    MK_ER = 33,
    MK_HELLO = 34,
    MK_CLOSE = 35,
    MK_ERROR = 36,
    MK_LOGIN = 37,
    MK_STATUS = 38,
    MK_GETDS = 40,
    MK_GETDSSITE = 41,
    MK_GETSD = 42,
    MK_GETVISIT = 57,
    MK_SEND_CHAT = 62,
    MK_SENDTO = 63,
    MK_LEAVE = 67,
    MK_INVITE = 69,
    MK_SENDTOCLIENT = 71,
    MK_CLOSECHAT = 74,
    MK_UNKNOWN = 85,
    MK_EMPTY = 86,
    MK_BOTAN_EXCEPTION = 87,
    MK_PING = 88,
    MK_PONG = 89,
};

// Received command text to kind, ignoring ASCII case; whole texts only ("@ER" is not "@ERROR").
// The empty text is MK_EMPTY, anything unrecognised MK_UNKNOWN.
MessageKind kindOfCommand(const wxString& command);

// Kind to the command text used when sending; "UNHANDLED" for kinds that are never sent this
// way, the empty text for MK_EMPTY.
wxString commandOfKind(MessageKind kind);

}  // namespace Tavoro::Messages
