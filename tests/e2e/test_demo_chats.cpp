// Chats, operators, history and site data of the demo server, read with the client's own
// message classes: a chat requested, taken, lines exchanged and closed; transfers; status;
// invitations and blocking; visit history; day summaries and settings; garbage requests.
#include <gtest/gtest.h>
#include <wx/init.h>

#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "messages/C_GETVISIT.h"
#include "messages/C_INVITE.h"
#include "messages/C_TRANSFER.h"
#include "messages/S_CHAT.h"
#include "messages/S_CHATTRANSFER.h"
#include "messages/S_CLIENTS.h"
#include "messages/S_CURRENTCHAT.h"
#include "messages/S_CV.h"
#include "messages/S_DS.h"
#include "messages/S_FROMCLIENT.h"
#include "messages/S_MESSAGE.h"
#include "messages/S_PREVCHAT.h"
#include "messages/S_PREVCHATS.h"
#include "messages/S_PREVVISITS.h"
#include "messages/S_SD.h"
#include "messages/S_SS.h"
#include "messages/S_VISITDETAIL.h"
#include "messages/S_VISITORS.h"
#include "messages/TavoroMessage.h"
#include "support/DemoClient.h"
#include "support/DemoServerProcess.h"
#include "types/VisitorList.h"

using namespace Tavoro;
using namespace Tavoro::Messages;
using Tavoro::Test::DemoClient;
using Tavoro::Test::DemoServerProcess;

namespace {

class WxBaseEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { wxInitialize(); }
    void TearDown() override { wxUninitialize(); }
};
::testing::Environment* const kWxBase = ::testing::AddGlobalTestEnvironment(new WxBaseEnvironment);

const wxString kLeft = "Visitor has left the conversation.";

// The chat record of a "@VISITORS" text, if the list has the chat.
std::optional<Types::VisitorChatType> chatIn(const wxString& visitorsText, const wxString& id) {
    const S_VISITORS list{TavoroMessage(visitorsText)};
    for (const auto& r : list.records()) {
        if (r.id == id)
            return r;
    }
    return std::nullopt;
}

// The next "@VISITORS" for which the condition on the chat's record (absent: nullopt) holds.
bool waitForVisitors(DemoClient& client, const wxString& id,
                     const std::function<bool(const std::optional<Types::VisitorChatType>&)>& ok,
                     int timeoutMs = 5000) {
    return client
        .waitForMatch(
            [&](const wxString& t) { return t.StartsWith("@VISITORS:") && ok(chatIn(t, id)); },
            timeoutMs, [](const wxString&) {})
        .has_value();
}

// The connection number the server gave the operator of this name, from "@CLIENTS".
wxString connectionOf(const wxString& clientsText, const wxString& name) {
    const S_CLIENTS clients{TavoroMessage(clientsText)};
    for (const auto& op : clients.operators()) {
        if (op.name == name)
            return op.connection;
    }
    return wxString();
}

class DemoChatTest : public ::testing::Test {
  protected:
    bool startServer(const std::vector<std::string>& args) {
        server.addArgs(args);
        return server.start();
    }
    // Logs in, starts events and returns the operator's connection number.
    wxString watch(DemoClient& client, const wxString& name) {
        if (!client.logIn("demo", "demo", name) || !client.send("@STARTEVENTS"))
            return wxString();
        const auto clients = client.waitFor("@CLIENTS:", 5000, [](const wxString&) {});
        return clients ? connectionOf(*clients, name) : wxString();
    }
    // Waits for a chat request and takes it; the chat id and the transcript on taking.
    bool takeNextChat(DemoClient& client, const wxString& connection, wxString& id,
                      std::optional<S_CURRENTCHAT>& current) {
        const auto chat = client.waitFor("@CHAT:", 5000, [](const wxString&) {});
        if (!chat)
            return false;
        id = S_CHAT(TavoroMessage(*chat)).text0();
        if (!waitForVisitors(client, id, [](const auto& r) { return r && r->talkingTo.empty(); }))
            return false;
        client.send("@CHAT:" + id);
        if (!waitForVisitors(client, id,
                             [&](const auto& r) { return r && r->talkingTo == connection; }))
            return false;
        const auto text = client.waitFor("@CURRENTCHAT:", 5000, [](const wxString&) {});
        if (text)
            current.emplace(TavoroMessage(*text));
        return text.has_value();
    }
    DemoServerProcess server{TAVORO_DEMO_SERVER};
};

}  // namespace

TEST_F(DemoChatTest, AChatIsRequestedTakenTalkedInAndClosed) {
    ASSERT_TRUE(startServer({"--event-rate", "0", "--chat-interval", "1", "--numbered-lines",
                             "--chat-leave-after", "100"}))
        << server.error();
    DemoClient client(server.port());
    const wxString me = watch(client, "Chat Operator");
    ASSERT_FALSE(me.empty());
    wxString id;
    std::optional<S_CURRENTCHAT> current;
    ASSERT_TRUE(takeNextChat(client, me, id, current));
    EXPECT_NE(current->transcriptHtml().Find("line 1: Hello"), wxNOT_FOUND)
        << current->transcriptHtml();
    EXPECT_EQ(current->operatorNames(), "Chat Operator");
    const wxString site = current->site();
    const wxString ip = current->ipAddress();

    // Every operator line is answered, after the visitor's typing notices, with the next
    // numbered line: none lost, none out of order.
    constexpr int kLines = 6;
    std::vector<wxString> answers;
    int typingStarts = 0;
    int typingStops = 0;
    for (int i = 1; i <= kLines; ++i) {
        ASSERT_TRUE(client.send(wxString::Format("@SENDTO:%s:question %d", id, i)));
        const auto answer = client.waitForMatch(
            [&](const wxString& t) {
                return t.StartsWith("@MESSAGE:") && S_MESSAGE(TavoroMessage(t)).chatId() == id;
            },
            5000,
            [&](const wxString& t) {
                typingStarts += t == "@1:" + id;
                typingStops += t == "@0:" + id;
            });
        ASSERT_TRUE(answer) << "answer to line " << i;
        answers.push_back(S_MESSAGE(TavoroMessage(*answer)).text());
    }
    for (int i = 0; i < kLines; ++i)
        EXPECT_TRUE(answers[i].StartsWith(wxString::Format("line %d: ", i + 2))) << answers[i];
    EXPECT_EQ(typingStarts, kLines);
    EXPECT_EQ(typingStops, kLines);

    ASSERT_TRUE(client.send("@CLOSECHAT:" + id));
    EXPECT_TRUE(waitForVisitors(client, id, [](const auto& r) { return !r.has_value(); }));

    // The chat is now one of the visitor's earlier chats, with the whole transcript.
    ASSERT_TRUE(client.send("@GETPREVCHATS:" + site + ":" + ip));
    const auto chats = client.waitFor("@PREVCHATS:", 5000, [](const wxString&) {});
    ASSERT_TRUE(chats);
    const S_PREVCHATS earlier{TavoroMessage(*chats)};
    EXPECT_EQ(earlier.site(), site);
    EXPECT_EQ(earlier.ipAddress(), ip);
    ASSERT_GE(earlier.count(), 1);
    EXPECT_EQ(earlier.chats()[0].chatId, id);
    EXPECT_EQ(earlier.chats()[0].user, "Chat Operator");
    ASSERT_TRUE(client.send("@GETPREVCHAT:" + site + ":" + id));
    const auto chat = client.waitFor("@PREVCHAT:", 5000, [](const wxString&) {});
    ASSERT_TRUE(chat);
    const S_PREVCHAT transcript{TavoroMessage(*chat)};
    EXPECT_EQ(transcript.site(), site);
    EXPECT_EQ(transcript.ipAddress(), ip);
    for (const char* piece : {"line 1: Hello", "question 3", "line 7: "})
        EXPECT_NE(transcript.transcriptHtml().Find(piece), wxNOT_FOUND) << piece;
}

TEST_F(DemoChatTest, AVisitorLeavesAfterSomeLinesAndUnansweredChatsStayWaiting) {
    ASSERT_TRUE(
        startServer({"--event-rate", "0", "--chat-interval", "1", "--chat-leave-after", "2"}))
        << server.error();
    DemoClient client(server.port());
    const wxString me = watch(client, "Chat Operator");
    wxString id;
    std::optional<S_CURRENTCHAT> current;
    ASSERT_TRUE(takeNextChat(client, me, id, current));
    ASSERT_TRUE(client.send("@SENDTO:" + id + ":hello"));
    ASSERT_TRUE(client.send("@LINKTO:" + id + ":http://shoes.acme.example/offers"));
    ASSERT_TRUE(client.send("@SENDTO:" + id + ":anything else?"));
    std::vector<wxString> lines;
    const auto left = client.waitForMatch(
        [&](const wxString& t) {
            if (!t.StartsWith("@MESSAGE:"))
                return false;
            const S_MESSAGE m{TavoroMessage(t)};
            if (m.chatId() == id)
                lines.push_back(m.text());
            return m.chatId() == id && m.visitorLeft();
        },
        8000, [](const wxString&) {});
    ASSERT_TRUE(left);
    EXPECT_EQ(lines.size(), 4u) << "two answers, the link acknowledged, then the leave";
    EXPECT_EQ(lines.back(), kLeft);
    EXPECT_TRUE(waitForVisitors(client, id, [](const auto& r) { return !r.has_value(); }));
    // Lines to a chat that has ended go nowhere.
    ASSERT_TRUE(client.send("@SENDTO:" + id + ":are you there?"));
    client.readFor(1000, [&](const wxString& t) {
        if (t.StartsWith("@MESSAGE:")) {
            EXPECT_NE(S_MESSAGE(TavoroMessage(t)).chatId(), id);
        }
    });
}

TEST_F(DemoChatTest, TransfersStatusAndOperatorList) {
    ASSERT_TRUE(startServer({"--event-rate", "0", "--chat-interval", "1"})) << server.error();
    DemoClient anna(server.port());
    const wxString annaNumber = watch(anna, "Anna");
    DemoClient bert(server.port());
    const wxString bertNumber = watch(bert, "Bert");
    ASSERT_FALSE(annaNumber.empty());
    ASSERT_FALSE(bertNumber.empty());

    // Both real operators and the two simulated ones are listed; a status shows at once.
    ASSERT_TRUE(anna.send("@STATUS:2"));
    const auto clients = bert.waitForMatch(
        [&](const wxString& t) {
            if (!t.StartsWith("@CLIENTS:"))
                return false;
            const S_CLIENTS list{TavoroMessage(t)};
            const auto* a = list.findByConnection(annaNumber);
            return a && a->statusText == "Be Right Back";
        },
        5000, [](const wxString&) {});
    ASSERT_TRUE(clients);
    const S_CLIENTS list{TavoroMessage(*clients)};
    EXPECT_EQ(list.count(), 4);
    const wxString sam = connectionOf(*clients, "Sam Sim");
    EXPECT_FALSE(sam.empty());
    EXPECT_FALSE(connectionOf(*clients, "Alex Auto").empty());

    // Anna offers her chat to Bert, who gets the offer and takes the chat.
    wxString id;
    std::optional<S_CURRENTCHAT> current;
    ASSERT_TRUE(takeNextChat(anna, annaNumber, id, current));
    ASSERT_TRUE(anna.send(
        C_TRANSFER(bertNumber, id, "shoes.acme.example", current->visitorName(), "Please take over")
            .toText()));
    const auto offer = bert.waitFor("@FROMCLIENT:", 5000, [](const wxString&) {});
    ASSERT_TRUE(offer);
    const S_FROMCLIENT from{TavoroMessage(*offer)};
    EXPECT_EQ(from.from(), "Anna");
    ASSERT_TRUE(from.isTransfer());
    const S_CHATTRANSFER transfer(from);
    EXPECT_EQ(transfer.detail0(), id);
    EXPECT_EQ(transfer.detail2(), current->visitorName());
    EXPECT_EQ(transfer.note(), "Please take over");
    ASSERT_TRUE(bert.send("@CHAT:" + id));
    EXPECT_TRUE(
        waitForVisitors(bert, id, [&](const auto& r) { return r && r->talkingTo == bertNumber; }));

    // A simulated operator accepts a transfer by itself.
    ASSERT_TRUE(bert.send(
        C_TRANSFER(sam, id, "shoes.acme.example", current->visitorName(), "Yours").toText()));
    EXPECT_TRUE(waitForVisitors(bert, id, [&](const auto& r) { return r && r->talkingTo == sam; }));

    // A plain note between operators arrives as it was sent.
    ASSERT_TRUE(bert.send("@SENDTOCLIENT:" + annaNumber + ":Lunch at noon?"));
    const auto note = anna.waitFor("@FROMCLIENT:", 5000, [](const wxString&) {});
    ASSERT_TRUE(note);
    EXPECT_EQ(S_FROMCLIENT(TavoroMessage(*note)).text(), "Lunch at noon?");

    // An operator who leaves disappears from the list.
    ASSERT_TRUE(anna.send("@CLOSE"));
    EXPECT_TRUE(bert.waitForMatch(
        [&](const wxString& t) {
            return t.StartsWith("@CLIENTS:") &&
                   !S_CLIENTS(TavoroMessage(t)).findByConnection(annaNumber);
        },
        5000, [](const wxString&) {}));
}

TEST_F(DemoChatTest, AnInvitedVisitorAsksForAChatAndABlockedOneLeaves) {
    ASSERT_TRUE(startServer({"--event-rate", "0", "--chat-interval", "0"})) << server.error();
    DemoClient client(server.port());
    ASSERT_FALSE(watch(client, "Inviter").empty());
    ASSERT_TRUE(client.send("@GET"));
    const auto cv = client.waitFor("@CV:", 5000, [](const wxString&) {});
    ASSERT_TRUE(cv);
    Types::VisitorList visitors;
    S_CV(TavoroMessage(*cv), visitors);
    ASSERT_FALSE(visitors.empty());
    const Types::VisitorType& guest = *visitors.begin();
    ASSERT_TRUE(client.send(
        C_INVITE(guest.ipAddress(), guest.username(), "shoes.acme.example", "Can I help?")
            .toText()));
    const auto chat = client.waitFor("@CHAT:", 5000, [](const wxString&) {});
    ASSERT_TRUE(chat);
    const wxString id = S_CHAT(TavoroMessage(*chat)).text0();
    EXPECT_TRUE(waitForVisitors(
        client, id, [&](const auto& r) { return r && r->ipAddress == guest.ipAddress(); }));
    ASSERT_TRUE(client.send("@CHAT:" + id));
    ASSERT_TRUE(client.waitFor("@CURRENTCHAT:", 5000, [](const wxString&) {}));
    ASSERT_TRUE(client.send("@BLOCK:" + guest.ipAddress()));
    const auto left =
        client.waitForMatch([&](const wxString& t) { return t == "@MESSAGE:" + id + "\n" + kLeft; },
                            5000, [](const wxString&) {});
    EXPECT_TRUE(left);
    EXPECT_TRUE(waitForVisitors(client, id, [](const auto& r) { return !r.has_value(); }));
    EXPECT_TRUE(client.waitFor("@ER:" + guest.visitorKey(), 5000, [](const wxString&) {}));
    // A blocked address never asks again.
    ASSERT_TRUE(client.send(C_INVITE(guest.ipAddress(), "", "shoes.acme.example", "").toText()));
    EXPECT_FALSE(client.waitFor("@CHAT:", 2500, [](const wxString&) {}));
}

TEST_F(DemoChatTest, VisitHistoryIsAnsweredInFormat) {
    ASSERT_TRUE(startServer({"--event-rate", "0", "--visitors", "40"})) << server.error();
    DemoClient client(server.port());
    ASSERT_TRUE(client.logIn("demo", "demo", "Historian"));
    ASSERT_TRUE(client.send("@GET"));
    const auto cv = client.waitFor("@CV:");
    ASSERT_TRUE(cv);
    Types::VisitorList visitors;
    S_CV(TavoroMessage(*cv), visitors);
    int returning = 0;
    for (const auto& v : visitors) {
        ASSERT_TRUE(
            client.send(C_GETVISIT(v.site(), v.ipAddress(), v.username(), v.visitText()).toText()));
        const auto detailText = client.waitFor("@VISITDETAIL:");
        ASSERT_TRUE(detailText);
        const S_VISITDETAIL detail{TavoroMessage(*detailText)};
        EXPECT_EQ(detail.site(), v.site());
        EXPECT_EQ(detail.visitField1(), v.ipAddress());
        EXPECT_EQ(detail.visitNumber(), v.visitText());
        EXPECT_EQ(detail.username(), v.username());
        EXPECT_EQ(static_cast<int>(detail.pages().size()), v.pageViews());
        EXPECT_FALSE(detail.locationPart0().empty());

        // The key line repeats the request's three values.
        ASSERT_TRUE(client.send("@GETPREVVISITS:" + v.site() + ":" + detail.visitField1() + ":" +
                                detail.username()));
        const auto visitsText = client.waitFor("@PREVVISITS:");
        ASSERT_TRUE(visitsText);
        const S_PREVVISITS visits{TavoroMessage(*visitsText)};
        EXPECT_EQ(visits.site(), v.site());
        EXPECT_EQ(visits.ipAddress(), detail.visitField1());
        EXPECT_EQ(visits.keyTail(), detail.username());
        EXPECT_EQ(static_cast<long>(visits.visits().size()), wxAtol(v.visitText()) - 1);
        returning += !visits.visits().empty();
    }
    EXPECT_GT(returning, 0) << "some visitors have been here before";

    // Earlier chats of an address, and one of them in full.
    const Types::VisitorType& v = *visitors.begin();
    ASSERT_TRUE(client.send("@GETPREVCHATS:" + v.site() + ":" + v.ipAddress()));
    const auto chatsText = client.waitFor("@PREVCHATS:");
    ASSERT_TRUE(chatsText);
    const S_PREVCHATS chats{TavoroMessage(*chatsText)};
    EXPECT_EQ(chats.site(), v.site());
    ASSERT_GE(chats.count(), 1);
    EXPECT_EQ(chats.chats()[0].duration, "0:1:35");
    ASSERT_TRUE(client.send("@GETPREVCHAT:" + v.site() + ":" + chats.chats()[0].chatId));
    const auto chatText = client.waitFor("@PREVCHAT:");
    ASSERT_TRUE(chatText);
    const S_PREVCHAT chat{TavoroMessage(*chatText)};
    EXPECT_EQ(chat.site(), v.site());
    EXPECT_EQ(chat.ipAddress(), v.ipAddress());
    EXPECT_NE(chat.transcriptHtml().Find("Sundays"), wxNOT_FOUND);

    // A visit that is no longer there is still answered, without pages.
    ASSERT_TRUE(client.send(C_GETVISIT("S1", "192.0.2.1", "", "1").toText()));
    const auto gone = client.waitFor("@VISITDETAIL:");
    ASSERT_TRUE(gone);
    const S_VISITDETAIL none{TavoroMessage(*gone)};
    EXPECT_EQ(none.site(), "S1");
    EXPECT_TRUE(none.pages().empty());
}

TEST_F(DemoChatTest, DaySummariesFollowTheSimulationAndSettingsAreTheSites) {
    ASSERT_TRUE(startServer({"--event-rate", "200", "--visitors", "30"})) << server.error();
    DemoClient client(server.port());
    const wxString me = watch(client, "Counter");
    ASSERT_FALSE(me.empty());
    ASSERT_TRUE(client.send("@GETDS"));
    const auto all = client.waitFor("@DS:", 5000, [](const wxString&) {});
    ASSERT_TRUE(all);
    const S_DS before{TavoroMessage(*all)};
    ASSERT_EQ(before.count(), 6);
    client.readFor(1000, [](const wxString&) {});

    // The live summary of one site: current visitors agree with the server's own account.
    ASSERT_TRUE(client.send("@STATE"));
    ASSERT_TRUE(client.send("@GETDSSITE:S1"));
    const auto state = client.waitFor("@STATE:", 5000, [](const wxString&) {});
    const auto one = client.waitFor("@DS:", 5000, [](const wxString&) {});
    ASSERT_TRUE(state && one);
    const S_DS site{TavoroMessage(*one)};
    ASSERT_EQ(site.count(), 1);
    const auto& s = site.summaries()[0];
    EXPECT_EQ(s.site, "S1");
    EXPECT_NE(state->Find("site\tS1\t" + s.currentVisitors + "\n"), wxNOT_FOUND)
        << *state << "\n"
        << s.currentVisitors;
    EXPECT_GT(wxAtol(s.pageViews), wxAtol(before.summaries()[0].pageViews));
    EXPECT_GE(wxAtol(s.totalVisits), wxAtol(s.currentVisitors));
    EXPECT_GE(wxAtol(s.peakCount), wxAtol(s.currentVisitors));
    EXPECT_EQ(s.peakTime.length(), 5u);

    for (const wxString key : {"S1", "S4"}) {
        ASSERT_TRUE(client.send("@GETSD:" + key));
        const auto sd = client.waitFor("@SD:", 5000, [](const wxString&) {});
        ASSERT_TRUE(client.send("@GETSETTINGS:" + key));
        const auto ss = client.waitFor("@SS:", 5000, [](const wxString&) {});
        ASSERT_TRUE(sd && ss);
        const S_SD detail{TavoroMessage(*sd)};
        S_SS settings{TavoroMessage(*ss)};
        EXPECT_EQ(settings.textValue(S_SS::numberOfName("SiteKey")), key);
        EXPECT_EQ(settings.textValue(S_SS::numberOfName("Domain")), detail.domain());
        EXPECT_EQ(settings.textValue(S_SS::numberOfName("Name")), detail.siteName());
        EXPECT_EQ(settings.textValue(S_SS::numberOfName("Group")), detail.groupName());
        EXPECT_TRUE(settings.textValue(S_SS::numberOfName("GatewayAddress")).StartsWith("http"));
        EXPECT_FALSE(settings.textValue(S_SS::numberOfName("GatewayAddressSSL")).empty());
        EXPECT_EQ(settings.values().count(0), 0u) << "every name is a known setting";
    }
    // S1 keeps the default time zone; S4 has its own bias.
    ASSERT_TRUE(client.send("@GETSETTINGS:S4"));
    const auto s4 = client.waitFor("@SS:", 5000, [](const wxString&) {});
    ASSERT_TRUE(s4);
    S_SS settings{TavoroMessage(*s4)};
    EXPECT_FALSE(settings.boolValue(S_SS::numberOfName("GmtBiasUseDefault")));
    EXPECT_EQ(settings.intValue(S_SS::numberOfName("GmtBias")), -300);
}

TEST_F(DemoChatTest, GarbageRequestsAreHarmless) {
    ASSERT_TRUE(startServer({"--event-rate", "20", "--chat-interval", "1"})) << server.error();
    {
        // Before the login nothing but the session set-up is served.
        DemoClient early(server.port());
        ASSERT_TRUE(early.connected());
        ASSERT_TRUE(early.next());  // greeting
        ASSERT_TRUE(early.sendRaw(std::string("@GETDS") + '\0' + "@GET" + '\0' + "@STATE" + '\0'));
        EXPECT_FALSE(early.next(500)) << "no answer before the login";
    }
    DemoClient client(server.port());
    const wxString me = watch(client, "Fuzzy");
    ASSERT_FALSE(me.empty());
    const std::vector<wxString> garbage = {"@GETSD:",
                                           "@GETSD:NOSUCH",
                                           "@GETDSSITE:",
                                           "@GETSETTINGS:x:y",
                                           "@CHAT:",
                                           "@CHAT:C999999",
                                           "@SENDTO:",
                                           "@SENDTO:nochat",
                                           "@SENDTO:C1001",
                                           "@LINKTO::",
                                           "@1:",
                                           "@0",
                                           "@BLOCK:",
                                           "@CLOSECHAT:",
                                           "@LEAVE:C0",
                                           "@INVITE:",
                                           "@INVITE:\t\t\x1b",
                                           "@SENDTOCLIENT:",
                                           "@SENDTOCLIENT:x:y",
                                           "@SENDTOCLIENT:-1:y",
                                           "@SENDTOCLIENT:99999999999999999999:~transfer~",
                                           "@SENDTOCLIENT:9001:~transfer~C1:a:b~c",
                                           "@SENDTOCLIENT:9001:~transfer~",
                                           "@GETVISIT:",
                                           "@GETVISIT:::::::",
                                           "@GETPREVVISITS:",
                                           "@GETPREVCHATS:",
                                           "@GETPREVCHAT:",
                                           "@GETPREVCHAT:S1:H",
                                           "@STATUS:",
                                           "@STATUS:77",
                                           "@STATUS:-1",
                                           "@NOSUCH:1",
                                           ":",
                                           "@",
                                           "@STARTEVENTS",
                                           "@GET:extra"};
    for (const auto& g : garbage)
        ASSERT_TRUE(client.send(g)) << g;
    // Every command again with random data full of separators and bytes above 0x7f.
    std::mt19937 random(3);
    const wxString alphabet = wxString::FromUTF8("ab:~|\t\n\r\x1b,=9001C10\xc3\xa9%");
    for (const char* command :
         {"@GETSD:", "@GETDSSITE:", "@GETSETTINGS:", "@CHAT:", "@SENDTO:", "@LINKTO:", "@BLOCK:",
          "@CLOSECHAT:", "@LEAVE:", "@INVITE:", "@SENDTOCLIENT:", "@GETVISIT:", "@GETPREVVISITS:",
          "@GETPREVCHATS:", "@GETPREVCHAT:", "@STATUS:", "@1:", "@0:"}) {
        for (int round = 0; round < 30; ++round) {
            wxString data;
            const int length = static_cast<int>(random() % 40);
            for (int i = 0; i < length; ++i)
                data += alphabet[random() % alphabet.length()];
            ASSERT_TRUE(client.send(command + data));
        }
    }
    client.readFor(500, [](const wxString&) {});
    EXPECT_TRUE(server.running());
    ASSERT_TRUE(client.send("@ECHO:still here"));
    EXPECT_TRUE(client.waitFor("@ECHO:still here", 5000, [](const wxString&) {}));
}
