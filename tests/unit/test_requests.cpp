#include <gtest/gtest.h>

#include "messages/C_GETVISIT.h"
#include "messages/C_INVITE.h"
#include "messages/C_TRANSFER.h"
#include "messages/ClientRequests.h"

using namespace Tavoro::Messages;

namespace {

const wxString ESC(wxUniChar(27));

struct RequestCase {
    wxString built;
    wxString wire;
    const char* what;
};

TEST(ClientRequests, WireTexts) {
    const RequestCase cases[] = {
        {publicKeyRequest("MIGd"), "@PUBLICKEY:MIGd", "public key"},
        {getDaySummariesRequest(), "@GETDS", "command alone, no colon"},
        {getSiteDetailsRequest("S1"), "@GETSD:S1", "site details"},
        {getSiteDetailsRequest(""), "@GETSD:", "site details, empty key keeps the colon"},
        {getVisitorsRequest(), "@GET", "visitor list, no colon"},
        {startEventsRequest(), "@STARTEVENTS", "events, no colon"},
        {statusRequest(0), "@STATUS:0", "online"},
        {statusRequest(3), "@STATUS:3", "away"},
        {getSiteDaySummaryRequest("S1"), "@GETDSSITE:S1", "one site's day"},
        {getSiteSettingsRequest("S1"), "@GETSETTINGS:S1", "site settings"},
        {getSiteSettingsRequest(""), "@GETSETTINGS:", "site settings, empty key"},
        {takeChatRequest("17"), "@CHAT:17", "take a chat"},
        {getPrevChatsRequest("S1", "1.2.3.4"), "@GETPREVCHATS:S1:1.2.3.4", "earlier chats"},
        {getPrevChatsRequest("", ""), "@GETPREVCHATS::", "earlier chats, empty values"},
        {getPrevChatRequest("S1", "c17"), "@GETPREVCHAT:S1:c17", "one earlier chat"},
        {getPrevVisitsRequest("S1", "v1", "ann"), "@GETPREVVISITS:S1:v1:ann", "earlier visits"},
        {getPrevVisitsRequest("S1", "v1", ""), "@GETPREVVISITS:S1:v1:", "no username"},
        {sendToRequest("17", "Hello: there"), "@SENDTO:17:Hello: there", "chat line"},
        {sendToRequest("17", ""), "@SENDTO:17:", "empty chat line"},
        {linkToRequest("17", "http://x/"), "@LINKTO:17:http://x/", "push a link"},
        {typingOnRequest("17"), "@1:17", "typing"},
        {typingOffRequest("17"), "@0:17", "stopped typing"},
        {typingOffRequest(""), "@0:", "typing, empty key"},
        {blockRequest("1.2.3.4"), "@BLOCK:1.2.3.4", "block"},
        {closeChatRequest("17"), "@CLOSECHAT:17", "close chat"},
        {leaveRequest("17"), "@LEAVE:17", "leave chat"},
        {closeRequest(), "@CLOSE", "close, no colon"},
    };
    for (const RequestCase& c : cases)
        EXPECT_EQ(c.built, c.wire) << c.what;
}

TEST(C_GETVISIT, WireTexts) {
    const RequestCase cases[] = {
        {C_GETVISIT("S1", "1.2.3.4", "ann", "2").toText(), "@GETVISIT:S1:1.2.3.4:ann:2", "full"},
        {C_GETVISIT("S1", "1.2.3.4", "", "1").toText(), "@GETVISIT:S1:1.2.3.4::1",
         "empty username keeps three colons"},
        {C_GETVISIT("", "", "", "").toText(), "@GETVISIT::::", "all empty"},
    };
    for (const RequestCase& c : cases)
        EXPECT_EQ(c.built, c.wire) << c.what;
    const C_GETVISIT m("S1", "ip", "u", "1");
    EXPECT_EQ(m.kind(), MK_GETVISIT);
    EXPECT_EQ(m.command(), "@GETVISIT");
}

TEST(C_INVITE, WireTexts) {
    const RequestCase cases[] = {
        {C_INVITE("1.2.3.4", "ann", "shop.example", "").toText(),
         "@INVITE:1.2.3.4\tann\tshop.example", "no text: ends with the domain, no ESC"},
        {C_INVITE("1.2.3.4", "ann", "shop.example", "Can I help?").toText(),
         "@INVITE:1.2.3.4\tann\tshop.example" + ESC + "Can I help?", "text after ESC"},
        {C_INVITE("", "", "", "").toText(), "@INVITE:\t\t", "empty values keep the TABs"},
    };
    for (const RequestCase& c : cases)
        EXPECT_EQ(c.built, c.wire) << c.what;
    EXPECT_EQ(C_INVITE("a", "b", "c", "").kind(), MK_INVITE);
}

TEST(C_TRANSFER, WireTexts) {
    const RequestCase cases[] = {
        {C_TRANSFER("7", "K", "W", "V", "T").toText(), "@SENDTOCLIENT:7:~transfer~K:W:V~T",
         "field order"},
        {C_TRANSFER("7", "", "", "", "").toText(), "@SENDTOCLIENT:7:~transfer~::~",
         "empty values keep the separators"},
    };
    for (const RequestCase& c : cases)
        EXPECT_EQ(c.built, c.wire) << c.what;
    EXPECT_EQ(C_TRANSFER("7", "K", "W", "V", "T").kind(), MK_SENDTOCLIENT);
}

TEST(C_TRANSFER, TransferText) {
    EXPECT_EQ(C_TRANSFER::transferTextFor("Ann", "Take %VISITORNAME%, %VISITORNAME%!"),
              "Take Ann, Ann!");
    EXPECT_EQ(C_TRANSFER::transferTextFor("Ann", "No name"), "No name");
    EXPECT_EQ(C_TRANSFER::transferTextFor("%VISITORNAME%", "x %VISITORNAME% y"),
              "x %VISITORNAME% y")
        << "a name holding the placeholder is inserted once";
    EXPECT_EQ(C_TRANSFER::transferTextFor("Ann", C_TRANSFER::defaultTransferPattern()),
              "Please pick up the chat session for visitor Ann");
}

}  // namespace
