// The operator's session driven through its own event loop against a scripted server on the
// loopback interface: the real connect, key exchange and encrypted frames, no display.
#include <gtest/gtest.h>

#include <wx/init.h>
#include <wx/socket.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "messages/LoginMessage.h"
#include "messages/S_MESSAGE.h"
#include "messages/S_SD.h"
#include "messages/S_SESSION.h"
#include "net/HostLookup.h"
#include "session/OperatorSession.h"
#include "session/SessionObserver.h"
#include "settings/LoginSettings.h"
#include "settings/TavoroSettings.h"
#include "support/EventLoopPump.h"
#include "support/FakePasswordKeeper.h"
#include "support/LoopbackServer.h"
#include "support/ScriptedServer.h"
#include "support/TempDir.h"

using namespace Tavoro;
using Session::OperatorSession;
using Tavoro::Test::EventLoopPump;
using Tavoro::Test::LoopbackServer;
using Tavoro::Test::ScriptedServer;
using Tavoro::Test::TempDir;
using Frames = std::vector<std::string>;
// Texts as UTF-8, so that a failure prints them readably.
using Log = std::vector<std::string>;

namespace {

const std::string ESC(1, '\x1b');

// A visitor line of 22 fields whose key is site:ip:t; field 2 (the visit text) is "x2".
std::string visitorLine(const std::string& site, const std::string& ip, const std::string& number,
                        const std::string& username) {
    std::string line = site + ":" + ip + ":t\t" + number;
    for (int i = 2; i < 22; ++i)
        line += "\t" + (i == 8 ? username : i == 14 ? "NNNNNNNNNNNNN" : "x" + std::to_string(i));
    return line;
}

// A day summary record of the 26 fields a summary needs.
std::string summary(const std::string& site) {
    std::string record = site;
    for (int i = 1; i < 26; ++i)
        record += "\t" + std::to_string(i);
    return record;
}

std::string chatRecord(const std::string& id, const std::string& ip, const std::string& name,
                       const std::string& domain) {
    return id + "\t" + ip + "\t" + name + "\t" + domain + "\t12:00\t\tSales\ten\tN\tx\t";
}

const char* stateName(OperatorSession::State state) {
    switch (state) {
        case OperatorSession::State::Offline:
            return "Offline";
        case OperatorSession::State::Connecting:
            return "Connecting";
        case OperatorSession::State::KeyExchange:
            return "KeyExchange";
        case OperatorSession::State::LoggedIn:
            return "LoggedIn";
    }
    return "?";
}

// Writes down what the session tells its view, one line per call, in order.
class RecordingObserver : public Session::SessionObserver {
  public:
    const OperatorSession* session = nullptr;
    Log log;

    bool saw(const std::string& line) const {
        return std::find(log.begin(), log.end(), line) != log.end();
    }

    void sessionStatus(const wxString& text) override { add("status " + text); }
    void operatorStatusChanged() override {
        add("operator status " + std::to_string(Types::statusNumber(session->status())));
    }
    void connectionChanged() override { add(wxString("state ") + stateName(session->state())); }
    void sessionAlert(const wxString& text, const wxString& title) override {
        add("alert " + title + ": " + text);
    }
    void siteAdded(const Messages::S_SD& site) override { add("site " + site.siteKey()); }
    void visitorsReloading() override { add("reloading"); }
    void visitorsReloaded() override { add("reloaded"); }
    void visitorAdded(const Types::VisitorType& v) override { add("added " + v.visitorKey()); }
    void visitorChanged(const wxString& previousKey, const Types::VisitorType& v) override {
        add("changed " + previousKey + " > " + v.visitorKey() + " " + v.username());
    }
    void visitorLeaving(const Types::VisitorType& v) override {
        const bool listed = session->visitors().findByKey(v.visitorKey()) != nullptr;
        add("leaving " + v.visitorKey() + (listed ? " listed" : " gone"));
    }
    void siteCountChanged(const wxString& siteKey, long count) override {
        add(wxString::Format("count %s %ld", siteKey, count));
    }
    void chatListChanged() override { add("chats"); }
    void retryChanged() override {
        add(session->isRetryPending()
                ? wxString::Format("retry %d in %ld s", session->retryAttempt(),
                                   session->retrySecondsLeft())
                : wxString("no retry"));
    }
    void chatReattached(const wxString& chatId, bool ours,
                        const std::vector<wxString>& held) override {
        wxString line = (ours ? "reattached " : "lost ") + chatId;
        for (const wxString& text : held)
            line += " [" + text + "]";
        add(line);
    }
    void chatLineReceived(const Messages::S_MESSAGE& line, long) override {
        add("line " + line.chatId() + " " + line.text());
    }
    void visitorLeftChat(const wxString& chatId) override { add("left " + chatId); }

  private:
    void add(const wxString& line) { log.push_back(std::string(line.utf8_str())); }
};

class SessionTest : public ::testing::Test {
  protected:
    SessionTest() : settings(dir.file("settings.ini")), peer(pump) {}

    void SetUp() override {
        ASSERT_TRUE(pump.isOk());
        settings.setString(SETTING_SERVER_DNS_IP, "127.0.0.1");
        settings.setInt(SETTING_CLIENT_PORT_NUMBER, peer.port());
        settings.setString(SETTING_AUTHENTICATION_STRING, "AUTH");
        settings.setString(SETTING_OPERATOR_NAME, "Ann Operator");
        settings.setString(SETTING_USERNAME, "ann");
        settings.setString(SETTING_PASSWORD, "hunter2");
        session = std::make_unique<OperatorSession>(settings);
        session->setObserver(&observer);
        session->setIdleSource([this] { return idleMs; });
        observer.session = session.get();
    }

    // The operator has had no input for that long when the session checks its rules.
    void idleFor(long minutes, long seconds = 0) {
        idleMs = (minutes * 60 + seconds) * 1000;
        session->checkInactivity();
    }
    // The frames the server received that start with prefix, once at least atLeast came.
    Frames receivedWith(const std::string& prefix, size_t atLeast) {
        Frames found;
        pump.pumpUntil([&] {
            found.clear();
            for (const std::string& frame : peer.received())
                if (frame.rfind(prefix, 0) == 0)
                    found.push_back(frame);
            return found.size() >= atLeast;
        });
        return found;
    }

    std::string loginFrame(int status) const {
        return std::string(
            Messages::LoginMessage(loginDetailsOf(settings), status).toText().utf8_str());
    }

    // The opening from the accepted connection up to the live events; the server knows sites
    // S1 and S2 (or what summaries names) and two visitors.
    void runOpening(const std::string& summaries = summary("S1") + ESC + summary("S2")) {
        ASSERT_TRUE(peer.accept());
        ASSERT_TRUE(peer.openSession()) << peer.lastError();
        ASSERT_EQ(peer.nextFrame().rfind("@LOGIN:", 0), 0u);
        peer.send("@CONNECTED");
        ASSERT_EQ(peer.nextFrame(), "@GETDS");
        peer.send("@DS:" + summaries);
        ASSERT_EQ(peer.nextFrames(3), (Frames{"@GETSD:S1", "@GETSD:S2", "@GET"}));
        peer.send("@SD:S1\tSite One\tone.example\tG1\tGroup\tY\t");
        peer.send("@SD:S2\tSite Two\ttwo.example\tG1\tGroup\tN\t");
        peer.send("@CV:" + visitorLine("S1", "10.0.0.1", "1", "ann") + ESC +
                  visitorLine("S2", "10.0.0.2", "2", "bob"));
        ASSERT_EQ(peer.nextFrame(), "@STARTEVENTS");
        ASSERT_TRUE(pump.pumpUntil([&] { return session->visitors().size() == 2; }));
    }
    void logIn() {
        session->connect();
        runOpening();
    }

    TempDir dir;
    TavoroSettings settings;
    EventLoopPump pump;
    ScriptedServer peer;
    RecordingObserver observer;
    std::unique_ptr<OperatorSession> session;
    long idleMs = 0;
};

TEST_F(SessionTest, OpeningRunsFromTheConnectToTheLiveEvents) {
    session->setLoginStatus(Tavoro::Types::OperatorStatus::BeRightBack);
    session->connect();
    EXPECT_EQ(session->state(), OperatorSession::State::Connecting);
    // A summary too short to name its site asks for no site.
    ASSERT_NO_FATAL_FAILURE(
        runOpening(summary("S1") + ESC + "short\trecord" + ESC + summary("S2")));

    const Frames& sent = peer.received();
    ASSERT_EQ(sent.size(), 7u) << "nothing else was sent";
    EXPECT_EQ(sent[1], loginFrame(2)) << "the login announces the status the view chose";
    EXPECT_EQ(Frames(sent.begin() + 2, sent.end()),
              (Frames{"@GETDS", "@GETSD:S1", "@GETSD:S2", "@GET", "@STARTEVENTS"}));
    EXPECT_EQ(observer.log,
              (Log{"state Connecting", "state KeyExchange",
                   "status Connecting to Tavoro Server version 1.0 registered to Acme",
                   "state LoggedIn", "status Connected to Tavoro version 1.0 registered to Acme",
                   "site S1", "site S2", "reloading", "reloaded"}));
    EXPECT_EQ(session->statusText(), "Connected to Tavoro version 1.0 registered to Acme");
    EXPECT_EQ(session->state(), OperatorSession::State::LoggedIn);
    EXPECT_TRUE(session->hasConnection());
    EXPECT_EQ(session->sites().size(), 2u);
    EXPECT_EQ(session->siteDomain("S2"), "two.example");
    ASSERT_NE(session->daySummary("S1"), nullptr);
    EXPECT_EQ(session->daySummary("S1")->currentVisitors, "2");
    EXPECT_EQ(session->visitors().siteCount("S1"), 1);
    EXPECT_EQ(session->eventsHandled(), 0u) << "the full list is not an event";
}

TEST_F(SessionTest, VisitorEventsAddUpdateAndRemoveVisitors) {
    ASSERT_NO_FATAL_FAILURE(logIn());
    observer.log.clear();
    peer.send("@EV:" + visitorLine("S1", "10.0.0.5", "7", "cy"));
    // Same site and number: the same visitor, now under another key.
    peer.send("@EV:" + visitorLine("S1", "10.0.0.6", "7", "cyril"));
    peer.send("@ER:S1:10.0.0.6:t");
    peer.send("@ER:S9:10.9.9.9:t");  // nobody listed under that key
    // A load probe's ping is answered once the frames before it are handled.
    peer.send("@PING:41");
    EXPECT_EQ(receivedWith("@PONG", 1), Frames{"@PONG:41"});
    EXPECT_EQ(session->eventsHandled(), 4u);

    EXPECT_EQ(observer.log, (Log{"count S1 2", "added S1:10.0.0.5:t",
                                 "changed S1:10.0.0.5:t > S1:10.0.0.6:t cyril",
                                 "leaving S1:10.0.0.6:t listed", "count S1 1"}));
    EXPECT_EQ(session->visitors().size(), 2u);
    EXPECT_EQ(session->visitors().findByKey("S1:10.0.0.6:t"), nullptr);
    EXPECT_EQ(session->visitors().siteCount("S1"), 1);
    EXPECT_EQ(session->visitors().siteCount("S2"), 1);
}

TEST_F(SessionTest, ChatsAreTakenFollowedAndEndWhenTheVisitorLeaves) {
    ASSERT_NO_FATAL_FAILURE(logIn());
    peer.send("@VISITORS:" + chatRecord("c1", "10.0.0.1", "Ann", "one.example") + ESC +
              chatRecord("c2", "10.0.0.2", "Bob", "two.example"));
    ASSERT_TRUE(pump.pumpUntil([&] { return session->chats().size() == 2; }));
    EXPECT_TRUE(observer.saw("chats"));

    // Taking a chat asks for it, for its visitor's visit and for the visitor's earlier chats.
    EXPECT_TRUE(session->takeChat("c1"));
    EXPECT_TRUE(session->isChatOpen("c1"));
    EXPECT_EQ(peer.nextFrames(3),
              (Frames{"@CHAT:c1", "@GETVISIT:S1:10.0.0.1:ann:x2", "@GETPREVCHATS:S1:10.0.0.1"}));
    // A chat that is not listed is not taken; the next frame out is the block.
    EXPECT_FALSE(session->takeChat("zz"));
    EXPECT_FALSE(session->isChatOpen("zz"));
    EXPECT_FALSE(session->blockVisitorOf("zz"));
    EXPECT_TRUE(session->blockVisitorOf("c2"));
    EXPECT_EQ(peer.nextFrame(), "@BLOCK:10.0.0.2");

    observer.log.clear();
    peer.send("@MESSAGE:c2\nto a chat nobody opened");
    peer.send("@MESSAGE:c1\nHello");
    peer.send("@MESSAGE:c1\nVisitor has left the conversation.");
    peer.send("@MESSAGE:c1\nafter leaving");
    // Handled after every chat line read before it.
    peer.send("@ER:none");
    ASSERT_TRUE(pump.pumpUntil([&] { return session->eventsHandled() == 1; }));
    EXPECT_EQ(observer.log, (Log{"line c1 Hello", "left c1"}));
    EXPECT_FALSE(session->isChatOpen("c1"));
    EXPECT_EQ(peer.received().size(), 11u) << "nothing else was sent";
}

TEST_F(SessionTest, ChattingToAsManyVisitorsAsSetMakesTheOperatorBusyForAWhile) {
    settings.setInt(SETTING_CHATS_BEFORE_AUTO_BUSY, 2);
    session->setLoginStatus(Types::OperatorStatus::BeRightBack);
    ASSERT_NO_FATAL_FAILURE(logIn());
    peer.send("@VISITORS:" + chatRecord("c1", "10.0.0.1", "Ann", "one.example") + ESC +
              chatRecord("c2", "10.0.0.2", "Bob", "two.example") + ESC +
              chatRecord("c3", "10.0.0.3", "Cy", "one.example"));
    ASSERT_TRUE(pump.pumpUntil([&] { return session->chats().size() == 3; }));
    auto sentWith = [&](const std::string& prefix) {
        Frames found;
        for (const std::string& frame : peer.received())
            if (frame.rfind(prefix, 0) == 0)
                found.push_back(frame);
        return found;
    };
    auto statusSent = [&] { return sentWith("@STATUS:"); };
    observer.log.clear();

    // The second chat reaches the limit: Busy, once, and the view is told.
    ASSERT_TRUE(session->takeChat("c1"));
    ASSERT_TRUE(session->takeChat("c2"));
    ASSERT_TRUE(session->takeChat("c3"));
    ASSERT_TRUE(pump.pumpUntil([&] { return sentWith("@GETPREVCHATS:").size() == 3; }));
    EXPECT_EQ(statusSent(), Frames{"@STATUS:1"});
    EXPECT_EQ(session->status(), Types::OperatorStatus::Busy);
    EXPECT_EQ(observer.log, Log{"operator status 1"});

    // Below the limit again (one closed, one left by its visitor): the status chosen before.
    ASSERT_TRUE(session->closeChat("c3"));
    EXPECT_EQ(session->status(), Types::OperatorStatus::Busy) << "still at the limit";
    peer.send("@MESSAGE:c2\nVisitor has left the conversation.");
    ASSERT_TRUE(pump.pumpUntil([&] { return session->status() != Types::OperatorStatus::Busy; }));
    EXPECT_EQ(session->status(), Types::OperatorStatus::BeRightBack);
    ASSERT_TRUE(pump.pumpUntil([&] { return statusSent().size() == 2; }));
    EXPECT_EQ(statusSent().back(), "@STATUS:2");

    // A status the operator chooses while busy stands when the chats drop below the limit.
    ASSERT_TRUE(session->takeChat("c2"));
    EXPECT_EQ(session->status(), Types::OperatorStatus::Busy);
    session->sendStatus(Types::OperatorStatus::Away);
    session->leaveChat("c2");
    EXPECT_EQ(session->status(), Types::OperatorStatus::Away);
    ASSERT_TRUE(pump.pumpUntil([&] { return statusSent().size() == 4; }));
    EXPECT_EQ(statusSent(), (Frames{"@STATUS:1", "@STATUS:2", "@STATUS:1", "@STATUS:3"}));

    // 0 switches it off.
    settings.setInt(SETTING_CHATS_BEFORE_AUTO_BUSY, 0);
    ASSERT_TRUE(session->takeChat("c2"));
    ASSERT_TRUE(session->takeChat("c3"));
    EXPECT_EQ(session->status(), Types::OperatorStatus::Away);
}

TEST_F(SessionTest, InactivityMarksTheOperatorAwayUntilTheNextInput) {
    using Types::OperatorStatus;
    settings.setInt(SETTING_MINUTES_TO_LOG_OFF_AFTER, 10);
    settings.setInt(SETTING_MINUTES_INACTIVE_UNTIL_LOGOFF, 0);
    session->setLoginStatus(OperatorStatus::BeRightBack);
    ASSERT_NO_FATAL_FAILURE(logIn());
    observer.log.clear();

    idleFor(9, 59);
    EXPECT_EQ(session->status(), OperatorStatus::BeRightBack);
    idleFor(10);
    EXPECT_EQ(session->status(), OperatorStatus::Away);
    EXPECT_TRUE(session->isAwayForInactivity());
    // Input: the status from before comes back, and the view hears of both changes.
    idleFor(0, 1);
    EXPECT_EQ(session->status(), OperatorStatus::BeRightBack);
    EXPECT_EQ(observer.log, (Log{"operator status 3", "operator status 2"}));
    EXPECT_EQ(receivedWith("@STATUS:", 2), (Frames{"@STATUS:3", "@STATUS:2"}));

    // A status chosen while away stands at the return.
    idleFor(10);
    session->sendStatus(OperatorStatus::Busy);
    idleFor(0);
    EXPECT_EQ(session->status(), OperatorStatus::Busy);
    // Away chosen by hand is neither marked again nor ended by input.
    session->sendStatus(OperatorStatus::Away);
    idleFor(30);
    idleFor(0);
    EXPECT_EQ(session->status(), OperatorStatus::Away);
    // 0 switches the rule off.
    settings.setInt(SETTING_MINUTES_TO_LOG_OFF_AFTER, 0);
    session->sendStatus(OperatorStatus::Online);
    idleFor(100);
    EXPECT_EQ(session->status(), OperatorStatus::Online);
    EXPECT_EQ(receivedWith("@STATUS:", 6), (Frames{"@STATUS:3", "@STATUS:2", "@STATUS:3",
                                                   "@STATUS:1", "@STATUS:3", "@STATUS:0"}));
}

TEST_F(SessionTest, AwayForInactivityCoversTheBusyOfChatting) {
    using Types::OperatorStatus;
    settings.setInt(SETTING_CHATS_BEFORE_AUTO_BUSY, 2);
    settings.setInt(SETTING_MINUTES_TO_LOG_OFF_AFTER, 10);
    settings.setInt(SETTING_MINUTES_INACTIVE_UNTIL_LOGOFF, 0);
    ASSERT_NO_FATAL_FAILURE(logIn());
    peer.send("@VISITORS:" + chatRecord("c1", "10.0.0.1", "Ann", "one.example") + ESC +
              chatRecord("c2", "10.0.0.2", "Bob", "two.example"));
    ASSERT_TRUE(pump.pumpUntil([&] { return session->chats().size() == 2; }));
    ASSERT_TRUE(session->takeChat("c1"));
    ASSERT_TRUE(session->takeChat("c2"));
    ASSERT_EQ(session->status(), OperatorStatus::Busy);

    // Busy from chatting, then idle: Away. A chat ending meanwhile leaves Away shown, and the
    // return brings what the chat count gives now.
    idleFor(10);
    EXPECT_EQ(session->status(), OperatorStatus::Away);
    peer.send("@MESSAGE:c2\nVisitor has left the conversation.");
    ASSERT_TRUE(pump.pumpUntil([&] { return !session->isChatOpen("c2"); }));
    EXPECT_EQ(session->status(), OperatorStatus::Away);
    idleFor(0);
    EXPECT_EQ(session->status(), OperatorStatus::Online);

    // The limit reached while held Away (the input not yet noticed): Busy on return, and the
    // status under it is the one from before Away, not Away.
    idleFor(10);
    ASSERT_TRUE(session->takeChat("c2"));
    EXPECT_EQ(session->status(), OperatorStatus::Away);
    idleFor(0);
    EXPECT_EQ(session->status(), OperatorStatus::Busy);
    ASSERT_TRUE(session->closeChat("c2"));
    EXPECT_EQ(session->status(), OperatorStatus::Online);
    EXPECT_EQ(receivedWith("@STATUS:", 6), (Frames{"@STATUS:1", "@STATUS:3", "@STATUS:0",
                                                   "@STATUS:3", "@STATUS:1", "@STATUS:0"}));
}

TEST_F(SessionTest, LongInactivityLogsOffOnceNoChatIsOpen) {
    using Types::OperatorStatus;
    settings.setInt(SETTING_MINUTES_TO_LOG_OFF_AFTER, 10);
    settings.setInt(SETTING_MINUTES_INACTIVE_UNTIL_LOGOFF, 60);
    session->setLoginStatus(OperatorStatus::BeRightBack);
    ASSERT_NO_FATAL_FAILURE(logIn());
    peer.send("@VISITORS:" + chatRecord("c1", "10.0.0.1", "Ann", "one.example"));
    ASSERT_TRUE(pump.pumpUntil([&] { return session->chats().size() == 1; }));
    ASSERT_TRUE(session->takeChat("c1"));
    idleFor(10);
    ASSERT_EQ(session->status(), OperatorStatus::Away);

    // Not with a chat open; once it is closed and the inactivity still holds.
    idleFor(61);
    EXPECT_TRUE(session->isLoggedIn());
    ASSERT_TRUE(session->closeChat("c1"));
    observer.log.clear();
    idleFor(61);
    EXPECT_EQ(session->state(), OperatorSession::State::Offline);
    ASSERT_TRUE(peer.waitForEnd());
    EXPECT_EQ(peer.received().back(), "@CLOSE");
    // The next log-on announces the status from before Away; the banner says what happened.
    EXPECT_EQ(session->status(), OperatorStatus::BeRightBack);
    EXPECT_EQ(observer.log, (Log{"state Offline", "operator status 2",
                                 "status Logged off after 60 minutes without input. To log on "
                                 "again, choose Reconnect in the File menu."}));
    EXPECT_EQ(receivedWith("@STATUS:", 1), Frames{"@STATUS:3"});
}

TEST_F(SessionTest, LostConnectionComesAfterItsFramesAndReconnectOpensAgain) {
    session->setAutoReconnect(false);
    ASSERT_NO_FATAL_FAILURE(logIn());
    const std::string firstKey = peer.publicKey();
    observer.log.clear();
    for (const char* number : {"5", "6", "7"})
        peer.send("@EV:" + visitorLine("S2", std::string("10.0.0.") + number, number, "v"));
    peer.close();
    ASSERT_TRUE(pump.pumpUntil([&] { return !session->hasConnection(); }));

    EXPECT_EQ(session->state(), OperatorSession::State::Offline);
    EXPECT_EQ(session->eventsHandled(), 3u);
    EXPECT_EQ(session->visitors().size(), 5u);
    ASSERT_GE(observer.log.size(), 2u);
    EXPECT_EQ(observer.log.end()[-2], "state Offline");
    EXPECT_EQ(observer.log.back(), "status The connection to the server was lost");
    EXPECT_EQ(std::count_if(observer.log.begin(), observer.log.end(),
                            [](const std::string& l) { return l.rfind("added ", 0) == 0; }),
              3);

    // A new connection runs the whole opening again and asks for the sites again; the sites
    // already known are replaced, not added twice.
    observer.log.clear();
    session->reconnect();
    ASSERT_NO_FATAL_FAILURE(runOpening());
    EXPECT_TRUE(session->hasConnection());
    EXPECT_NE(peer.publicKey(), firstKey) << "each greeting gets a key of its own";
    EXPECT_EQ(session->sites().size(), 2u);
    EXPECT_TRUE(observer.saw("site S1"));
    EXPECT_TRUE(observer.saw("state LoggedIn"));
}

// A connection lost without the server ending it is tried again after 1, 2, 4 ... at most 60
// seconds (less a random part of up to a fifth), counting attempts until one is live again;
// the server's "@CLOSE" or "@ERROR" and the operator's log-off never retry.
TEST_F(SessionTest, ALostConnectionIsRetriedWithGrowingDelaysUntilLive) {
    std::vector<long> delays;
    for (int attempt = 1; attempt <= 8; ++attempt)
        delays.push_back(OperatorSession::retryDelayMs(attempt));
    EXPECT_EQ(delays, (std::vector<long>{1000, 2000, 4000, 8000, 16000, 32000, 60000, 60000}));

    session->retryJitter = [] { return 0.0; };
    ASSERT_NO_FATAL_FAILURE(logIn());
    observer.log.clear();
    peer.close();
    ASSERT_TRUE(pump.pumpUntil([&] { return session->isRetryPending(); }));
    EXPECT_EQ(session->retryAttempt(), 1);
    EXPECT_EQ(observer.log,
              (Log{"state Offline", "status Connection lost, reconnecting in 1 s (attempt 1)",
                   "retry 1 in 1 s"}));
    // The retry is made on its own after that second and runs the whole opening again.
    ASSERT_NO_FATAL_FAILURE(runOpening());
    EXPECT_FALSE(session->isRetryPending());
    EXPECT_EQ(session->retryAttempt(), 0) << "live again: the count starts afresh";

    // A retry that fails counts on, with a longer wait; "Reconnect now" does not wait.
    session->retryJitter = [] { return 1.0; };  // the most a delay is shortened: a fifth
    unsigned short closedPort;
    {
        LoopbackServer gone;
        closedPort = gone.port();
    }
    settings.setInt(SETTING_CLIENT_PORT_NUMBER, closedPort);
    observer.log.clear();
    peer.close();
    ASSERT_TRUE(pump.pumpUntil([&] { return session->isRetryPending(); }));
    session->retryNow();
    ASSERT_TRUE(pump.pumpUntil([&] { return session->retryAttempt() == 2; }));
    EXPECT_TRUE(session->isRetryPending());
    EXPECT_LE(session->retrySecondsLeft(), 2) << "2 s less a fifth";
    EXPECT_EQ(observer.log.back(), "retry 2 in 2 s");
    // The third attempt comes on its own; each retry is announced once, not every second (the
    // banner also goes to the operator's log).
    ASSERT_TRUE(pump.pumpUntil([&] { return session->retryAttempt() == 3; }, 10000));
    EXPECT_EQ(std::count_if(observer.log.begin(), observer.log.end(),
                            [](const std::string& line) {
                                return line.rfind("status Connection lost", 0) == 0;
                            }),
              3)
        << "\n"
        << ::testing::PrintToString(observer.log);

    // The operator's own log-off ends the retries; so does the server saying goodbye.
    session->disconnect();
    EXPECT_FALSE(session->isRetryPending());
    settings.setInt(SETTING_CLIENT_PORT_NUMBER, peer.port());
    for (const char* goodbye : {"@CLOSE", "@ERROR:Login failed"}) {
        SCOPED_TRACE(goodbye);
        ASSERT_NO_FATAL_FAILURE(logIn());
        peer.send(goodbye);
        ASSERT_TRUE(pump.pumpUntil([&] { return !session->hasConnection(); }));
        pump.pumpUntil([] { return false; }, 50);
        EXPECT_FALSE(session->isRetryPending());
        EXPECT_EQ(session->state(), OperatorSession::State::Offline);
    }
}

// After a reconnect the open chats are taken back: one nobody talks to is taken again and gets
// the lines the operator wrote meanwhile once its transcript is back; one another operator
// has ended, and its lines were not sent.
TEST_F(SessionTest, OpenChatsAreTakenBackAfterAReconnectWithTheLinesWrittenMeanwhile) {
    session->retryJitter = [] { return 0.0; };
    ASSERT_NO_FATAL_FAILURE(logIn());
    peer.send("@VISITORS:" + chatRecord("c1", "10.0.0.1", "Vera", "one.example") + ESC +
              chatRecord("c2", "10.0.0.2", "Walt", "one.example"));
    ASSERT_TRUE(pump.pumpUntil([&] { return session->chats().size() == 2; }));
    ASSERT_TRUE(session->takeChat("c1"));
    ASSERT_TRUE(session->takeChat("c2"));
    peer.close();
    ASSERT_TRUE(pump.pumpUntil([&] { return session->isRetryPending(); }));
    session->sendChatText("c1", "still there?");
    session->sendChatText("c2", "one moment");
    session->sendChatText("c1", "back soon");
    observer.log.clear();

    ASSERT_NO_FATAL_FAILURE(runOpening());
    EXPECT_EQ(peer.received().size(), 7u) << "nothing held went out before the chat list";
    std::string walt = chatRecord("c2", "10.0.0.2", "Walt", "one.example");
    walt.replace(walt.find("\t\tSales"), 7, "\t9\tSales");  // Bob (9) has it now
    peer.send("@VISITORS:" + chatRecord("c1", "10.0.0.1", "Vera", "one.example") + ESC + walt);
    EXPECT_EQ(peer.nextFrame(), "@CHAT:c1");
    EXPECT_TRUE(pump.pumpUntil([&] { return observer.saw("lost c2 [one moment]"); }));
    EXPECT_FALSE(session->isChatOpen("c2"));
    EXPECT_TRUE(session->isChatOpen("c1"));
    session->sendChatText("c1", "typed while taking back");
    peer.send("@CURRENTCHAT:S1:10.0.0.1:t\nx\tVera\tAnn\ty" + ESC + "10:00\t0\thello");
    EXPECT_EQ(peer.nextFrames(3), (Frames{"@SENDTO:c1:still there?", "@SENDTO:c1:back soon",
                                          "@SENDTO:c1:typed while taking back"}));
    EXPECT_TRUE(observer.saw("reattached c1 [still there?] [back soon] [typed while taking back]"));
    // From then on lines go straight out.
    session->sendChatText("c1", "now live");
    EXPECT_EQ(peer.nextFrame(), "@SENDTO:c1:now live");
}

TEST_F(SessionTest, SessionDataWithoutAKeyEndsTheConnectionBeforeTheLogin) {
    session->connect();
    ASSERT_TRUE(peer.accept());
    ASSERT_TRUE(peer.openSession("")) << peer.lastError();
    ASSERT_TRUE(peer.waitForEnd());
    ASSERT_TRUE(pump.pumpUntil([&] { return !session->hasConnection(); }));

    EXPECT_EQ(peer.received().size(), 1u) << "the public key only, no login";
    EXPECT_EQ(session->state(), OperatorSession::State::Offline);
    EXPECT_FALSE(observer.saw("state LoggedIn"));
    EXPECT_EQ(observer.log.back(),
              "status " + std::string(Messages::S_SESSION::noSecureSessionText().utf8_str()));
}

TEST_F(SessionTest, BadFramesLeaveTheConnectionAndTheStateAsTheyWere) {
    ASSERT_NO_FATAL_FAILURE(logIn());
    Log unhandled;
    session->unhandledMessageObserver = [&](const Messages::TavoroMessage& m) {
        unhandled.push_back(std::string(m.command().utf8_str()));
    };
    observer.log.clear();
    using namespace std::string_literals;
    for (const char* text :
         {"garbage without a command", "", "@NOPE:x", "@EV:S1:10.0.0.9:t\t5\tshort",
          "@ER:", "@SD:short", "@MESSAGE:no line", "@DS:\x1b\x1b"}) {
        peer.send(text);
    }
    peer.sendRaw("not whole cipher blocks\0"s);
    // Larger than any frame the client takes: dropped unread.
    peer.sendRaw(std::string(16 * 1024 * 1024 + 1, 'z') + "\0"s);
    peer.send("@EV:" + visitorLine("S2", "10.0.0.9", "9", "after"));
    ASSERT_TRUE(pump.pumpUntil(
        [&] { return session->visitors().findByKey("S2:10.0.0.9:t") != nullptr; }, 20000));

    EXPECT_EQ(unhandled, (Log{"garbage without a command", "@NOPE"}));
    EXPECT_TRUE(session->isLoggedIn());
    EXPECT_TRUE(session->hasConnection());
    EXPECT_EQ(session->sites().size(), 2u);
    EXPECT_EQ(session->visitors().size(), 3u) << "the truncated event added nobody";
    EXPECT_FALSE(observer.saw("state Offline"));
    // The connection still carries frames both ways.
    session->requestDaySummary("S2");
    EXPECT_EQ(peer.nextFrame(), "@GETDSSITE:S2");
}

TEST_F(SessionTest, FailedConnectAttemptsAreReported) {
    session->setAutoReconnect(false);
    // Nothing listens on the port.
    unsigned short closedPort;
    {
        LoopbackServer gone;
        closedPort = gone.port();
    }
    settings.setInt(SETTING_CLIENT_PORT_NUMBER, closedPort);
    session->connect();
    ASSERT_TRUE(pump.pumpUntil([&] { return !session->isConnecting(); }));
    EXPECT_EQ(session->state(), OperatorSession::State::Offline);
    EXPECT_FALSE(session->hasConnection());
    EXPECT_EQ(observer.log.back(), "status Could not connect to the server");

    // A name is looked up off the event loop's thread; one that does not resolve is an alert.
    struct ResolverRestore {
        decltype(Net::HostLookup::resolver) saved = Net::HostLookup::resolver;
        ~ResolverRestore() { Net::HostLookup::resolver = saved; }
    } restore;
    Net::HostLookup::resolver = [](const wxString& host) {
        return host == "server.test" ? wxString("127.0.0.1") : wxString();
    };
    settings.setString(SETTING_SERVER_DNS_IP, "nowhere.test");
    observer.log.clear();
    session->connect();
    ASSERT_TRUE(pump.pumpUntil([&] { return !session->isConnecting(); }));
    EXPECT_EQ(observer.log, (Log{"state Connecting", "state Offline",
                                 "alert Connection Error: could not resolve host to IP address"}));

    // A name that resolves reaches the server.
    settings.setString(SETTING_SERVER_DNS_IP, "server.test");
    settings.setInt(SETTING_CLIENT_PORT_NUMBER, peer.port());
    session->connect();
    ASSERT_TRUE(peer.accept());
    EXPECT_TRUE(pump.pumpUntil([&] { return session->hasConnection(); }));
}

TEST_F(SessionTest, DisconnectSaysGoodbyeOnlyWhenLoggedIn) {
    ASSERT_NO_FATAL_FAILURE(logIn());
    // Lines still queued when the operator disconnects go out, and the goodbye after them,
    // before the connection ends.
    const int lines = 300;
    for (int i = 0; i < lines; ++i)
        session->sendChatText("c1", wxString::Format("line %d", i));
    session->disconnect();
    EXPECT_EQ(session->state(), OperatorSession::State::Offline);
    EXPECT_FALSE(session->hasConnection());
    ASSERT_TRUE(peer.waitForEnd());
    ASSERT_EQ(peer.received().size(), 7u + lines + 1);
    EXPECT_EQ(peer.received().end()[-2], "@SENDTO:c1:line 299");
    EXPECT_EQ(peer.received().back(), "@CLOSE");

    // Before the login there is nobody to say goodbye to.
    session->connect();
    ASSERT_TRUE(peer.accept());
    ASSERT_TRUE(pump.pumpUntil([&] { return session->hasConnection(); }));
    session->disconnect();
    ASSERT_TRUE(peer.waitForEnd());
    EXPECT_TRUE(peer.received().empty());
}

}  // namespace

namespace {

TEST_F(SessionTest, TheFilesPasswordMovesToTheKeyringOnceALoginWorked) {
    Tavoro::Test::FakePasswordKeeper keyring;
    settings.setPasswordKeeper(&keyring);
    session->connect();
    ASSERT_TRUE(peer.accept());
    ASSERT_TRUE(peer.openSession()) << peer.lastError();
    const std::string login = peer.nextFrame();
    EXPECT_EQ(login.substr(login.rfind('\t') + 1), "hunter2") << login;
    EXPECT_TRUE(keyring.kept.empty()) << "nothing moves before the server accepted the login";
    peer.send("@CONNECTED");
    ASSERT_TRUE(pump.pumpUntil([&] { return !keyring.kept.empty(); }));
    EXPECT_EQ(keyring.find("127.0.0.1", "ann"), wxString("hunter2"));
    EXPECT_FALSE(TavoroSettings(dir.file("settings.ini")).exists(SETTING_PASSWORD))
        << "the file's entry is gone, on disk too";

    // The next login takes the keyring's password.
    keyring.kept[{"127.0.0.1", "ann"}] = "from keyring";
    session->reconnect();
    ASSERT_TRUE(peer.accept());
    ASSERT_TRUE(peer.openSession()) << peer.lastError();
    const std::string again = peer.nextFrame();
    EXPECT_EQ(again.substr(again.rfind('\t') + 1), "from keyring") << again;

    // A keyring that stops answering leaves a password typed into the file where it is.
    keyring.answers = false;
    settings.setString(SETTING_PASSWORD, "typed");
    peer.send("@CONNECTED");
    ASSERT_TRUE(pump.pumpUntil([&] {
        return std::count_if(observer.log.begin(), observer.log.end(), [](const std::string& l) {
                   return l.rfind("status Connected to", 0) == 0;
               }) == 2;
    }));
    EXPECT_EQ(settings.getString(SETTING_PASSWORD), "typed");
}

}  // namespace
