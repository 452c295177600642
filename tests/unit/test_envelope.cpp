#include <gtest/gtest.h>

#include "messages/TavoroMessage.h"

using namespace Tavoro::Messages;

namespace {

struct ParseCase {
    wxString text;
    MessageKind kind;
    wxString command;
    wxString data;
    const char* what;
};

TEST(TavoroMessage, ParseTable) {
    const wxString stx(wxUniChar(0x02));
    const ParseCase cases[] = {
        {"@VISITORS", MK_VISITORS, "@VISITORS", "", "no colon: whole text is the command"},
        {"@chat:Hello: world", MK_CHAT, "@chat", "Hello: world", "case-blind, later colons kept"},
        {":abc", MK_EMPTY, "", "abc", "empty command"},
        {"", MK_EMPTY, "", "", "empty text"},
        {"@NOSUCH:1", MK_UNKNOWN, "@NOSUCH", "1", "unknown command kept for the report"},
        {"@ER:k", MK_ER, "@ER", "k", "@ER is not @ERROR"},
        {"@ERROR:bad", MK_ERROR, "@ERROR", "bad", "@ERROR"},
        {"@PREVCHAT:x", MK_PREVCHAT, "@PREVCHAT", "x", "@PREVCHAT"},
        {"@PREVCHATS:x", MK_PREVCHATS, "@PREVCHATS", "x", "@PREVCHATS is a different kind"},
        {"@EVX:1", MK_UNKNOWN, "@EVX", "1", "no prefix matching"},
        {"@1:chat", MK_TYPING_ON, "@1", "chat", "typing on"},
        {"@0:chat", MK_TYPING_OFF, "@0", "chat", "typing off"},
        {"@STATUS:1", MK_UNKNOWN, "@STATUS", "1", "send-only commands are unknown when received"},
        {"@BOTAN-EXCEPTION:x", MK_BOTAN_EXCEPTION, "@BOTAN-EXCEPTION", "x", "decryption failure"},
        {"@hello", MK_HELLO, "@hello", "", "lower case greeting"},
        {stx + "00400045005600"
               "3A0078",
         MK_EV, "@EV", "x", "STX hex form"},
        {stx, MK_EMPTY, "", "", "STX alone decodes to the empty text"},
        {stx + "0040004D0053004700"
               "3A4E2D",
         MK_MSG, "@MSG", wxString(L"\u4e2d"), "STX carries a character above U+00FF"},
        {stx + "004000430056003A4", MK_CV, "@CV", wxString(wxUniChar(4)),
         "short last group read with the digits it has"},
        {stx + "zz40", MK_UNKNOWN, wxString(wxUniChar(0)), "", "group without hex digits is 0"},
        {"@PING:7", MK_PING, "@PING", "7", "a load probe"},
    };
    for (const ParseCase& c : cases) {
        TavoroMessage m(c.text);
        EXPECT_EQ(m.kind(), c.kind) << c.what;
        EXPECT_EQ(m.command(), c.command) << c.what;
        EXPECT_EQ(m.data(), c.data) << c.what;
        // Parsed in the received text's own storage, then moved on twice: the same message.
        wxString received = c.text;
        TavoroMessage taken = TavoroMessage::taking(received);
        TavoroMessage moved(std::move(taken));
        TavoroMessage assigned;
        assigned = std::move(moved);
        EXPECT_EQ(assigned.kind(), c.kind) << c.what;
        EXPECT_EQ(assigned.command(), c.command) << c.what;
        EXPECT_EQ(assigned.data(), c.data) << c.what;
    }
}

TEST(TavoroMessage, BuildFromKind) {
    EXPECT_EQ(TavoroMessage(MK_SEND_CHAT, "abc").toText(), "@CHAT:abc");
    EXPECT_EQ(TavoroMessage(MK_DS, "x").toText(), "UNHANDLED:x") << "@DS is never sent";
    EXPECT_EQ(TavoroMessage(MK_STATUS, "2").toText(), "@STATUS:2");
    EXPECT_EQ(TavoroMessage(MK_GETSD, "").toText(), "@GETSD:") << "colon even without data";
    EXPECT_EQ(TavoroMessage(MK_EMPTY, "d").toText(), ":d");
    EXPECT_EQ(TavoroMessage(MK_CHAT, "k").toText(), "@CHAT:k");
    EXPECT_EQ(TavoroMessage(MK_CLOSECHAT, "k").toText(), "@CLOSECHAT:k");
    EXPECT_EQ(TavoroMessage(MK_GETVISIT, "k").toText(), "UNHANDLED:k");

    TavoroMessage m("@SESSION:encrypted");
    m.setData("plain");
    EXPECT_EQ(m.toText(), "@SESSION:plain");
}

TEST(TavoroMessage, CommandTablesAreConsistent) {
    // Every command that can be both sent and received maps back to its own kind.
    const MessageKind both[] = {MK_RIGHTS,      MK_VISITORS, MK_CLIENTS, MK_CALLBACKS,
                                MK_CONNECTED,   MK_MSG,      MK_CHAT,    MK_CV,
                                MK_VISITDETAIL, MK_MESSAGE,  MK_HELLO,   MK_CLOSE,
                                MK_ERROR,       MK_LOGIN,    MK_LEAVE,   MK_BOTAN_EXCEPTION};
    for (MessageKind k : both) {
        EXPECT_EQ(kindOfCommand(commandOfKind(k)), k) << commandOfKind(k);
    }
    // A locale-dependent upper-casing must not turn a dotless i into a command.
    EXPECT_EQ(kindOfCommand(wxString(L"@V\u0131S\u0131TORS")), MK_UNKNOWN);
}

}  // namespace
