#include "messages/MessageKind.h"

#include <string>
#include <unordered_map>

namespace Tavoro::Messages {
namespace {

struct KindEntry {
    MessageKind kind;
    const wchar_t* command;
    bool received;  // recognised when it arrives from the server
    bool sent;      // produced by commandOfKind
};

// clang-format off
const KindEntry kKinds[] = {
    {MK_RIGHTS, L"@RIGHTS", true, true},
    {MK_VISITORS, L"@VISITORS", true, true},
    {MK_CLIENTS, L"@CLIENTS", true, true},
    {MK_FROMCLIENT, L"@FROMCLIENT", true, false},
    {MK_CALLBACKS, L"@CALLBACKS", true, true},
    {MK_CONNECTED, L"@CONNECTED", true, true},
    {MK_CURRENTCHAT, L"@CURRENTCHAT", true, false},
    {MK_MSG, L"@MSG", true, true},
    {MK_POPUP, L"@POPUP", true, false},
    {MK_CHAT, L"@CHAT", true, true},
    {MK_CV, L"@CV", true, true},
    {MK_DS, L"@DS", true, false},
    {MK_SD, L"@SD", true, false},
    {MK_PREVCHAT, L"@PREVCHAT", true, false},
    {MK_PREVCHATS, L"@PREVCHATS", true, false},
    {MK_SESSION, L"@SESSION", true, false},
    {MK_PREVVISITS, L"@PREVVISITS", true, false},
    {MK_VISITDETAIL, L"@VISITDETAIL", true, true},
    {MK_MESSAGE, L"@MESSAGE", true, true},
    {MK_TYPING_ON, L"@1", true, false},
    {MK_TYPING_OFF, L"@0", true, false},
    {MK_SS, L"@SS", true, false},
    {MK_EV, L"@EV", true, false},
    {MK_ER, L"@ER", true, false},
    {MK_HELLO, L"@HELLO", true, true},
    {MK_CLOSE, L"@CLOSE", true, true},
    {MK_ERROR, L"@ERROR", true, true},
    {MK_LOGIN, L"@LOGIN", true, true},
    {MK_STATUS, L"@STATUS", false, true},
    {MK_GETDS, L"@GETDS", false, true},
    {MK_GETDSSITE, L"@GETDSSITE", false, true},
    {MK_GETSD, L"@GETSD", false, true},
    {MK_GETVISIT, L"@GETVISIT", false, false},
    {MK_SEND_CHAT, L"@CHAT", false, true},
    {MK_SENDTO, L"@SENDTO", false, true},
    {MK_LEAVE, L"@LEAVE", true, true},
    {MK_INVITE, L"@INVITE", false, false},
    {MK_SENDTOCLIENT, L"@SENDTOCLIENT", false, false},
    {MK_CLOSECHAT, L"@CLOSECHAT", false, true},
    {MK_BOTAN_EXCEPTION, L"@BOTAN-EXCEPTION", true, true},
    {MK_PING, L"@PING", true, false},
    {MK_PONG, L"@PONG", false, true},
};
// clang-format on

// ASCII-only upper casing: command words are ASCII, and a locale-dependent mapping (for
// example a dotless i) must not make a foreign text match a command.
std::wstring asciiUpper(const wxString& text) {
    std::wstring out = text.ToStdWstring();
    for (wchar_t& c : out) {
        if (c >= L'a' && c <= L'z') {
            c = static_cast<wchar_t>(c - L'a' + L'A');
        }
    }
    return out;
}

const std::unordered_map<std::wstring, MessageKind>& receivedTable() {
    static const std::unordered_map<std::wstring, MessageKind> table = [] {
        std::unordered_map<std::wstring, MessageKind> t;
        for (const KindEntry& e : kKinds) {
            if (e.received) {
                t.emplace(e.command, e.kind);
            }
        }
        return t;
    }();
    return table;
}

}  // namespace

MessageKind kindOfCommand(const wxString& command) {
    if (command.empty()) {
        return MK_EMPTY;
    }
    const auto& table = receivedTable();
    auto it = table.find(asciiUpper(command));
    return it == table.end() ? MK_UNKNOWN : it->second;
}

wxString commandOfKind(MessageKind kind) {
    if (kind == MK_EMPTY) {
        return wxString();
    }
    for (const KindEntry& e : kKinds) {
        if (e.kind == kind && e.sent) {
            return wxString(e.command);
        }
    }
    return wxString("UNHANDLED");
}

}  // namespace Tavoro::Messages
