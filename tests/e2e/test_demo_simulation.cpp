// The demo server's simulation against the client's own message classes: sites and their
// details, the visitor list and its events, repeatable runs, the server's account of its
// visitors, and the event rate of load runs.
#include <gtest/gtest.h>
#include <wx/init.h>

#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "messages/S_CV.h"
#include "messages/S_DS.h"
#include "messages/S_EV.h"
#include "messages/S_PopupMessage.h"
#include "messages/S_SD.h"
#include "messages/TavoroMessage.h"
#include "support/DemoClient.h"
#include "support/DemoServerProcess.h"
#include "types/VisitorList.h"

using namespace Tavoro;
using Messages::TavoroMessage;
using Tavoro::Test::DemoClient;
using Tavoro::Test::DemoServerProcess;

namespace {

class WxBaseEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { wxInitialize(); }
    void TearDown() override { wxUninitialize(); }
};
::testing::Environment* const kWxBase = ::testing::AddGlobalTestEnvironment(new WxBaseEnvironment);

bool isVisitorEvent(const wxString& text) {
    return text.StartsWith("@EV:") || text.StartsWith("@ER:");
}

// Applies "@CV", "@EV" and "@ER" as the main window does.
void apply(Types::VisitorList& list, const wxString& text) {
    const TavoroMessage message(text);
    if (message.kind() == Messages::MK_CV) {
        Messages::S_CV cv(message, list);
    } else if (message.kind() == Messages::MK_EV) {
        list.applyEvent(Messages::S_EV(message));
    } else if (message.kind() == Messages::MK_ER) {
        list.removeByKey(message.data());
    }
}

// The server's "@STATE" account: visitor keys in order and the count of each site.
struct ServerState {
    std::vector<std::string> keys;
    std::map<std::string, int> counts;
    long steps = -1;
};

ServerState parseState(const std::string& text) {
    ServerState state;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> f;
        std::istringstream fields(line);
        for (std::string part; std::getline(fields, part, '\t');)
            f.push_back(part);
        if (f.size() == 2 && f[0] == "steps")
            state.steps = std::stol(f[1]);
        else if (f.size() == 3 && f[0] == "site")
            state.counts[f[1]] = std::stoi(f[2]);
        else if (f.size() == 3 && f[0] == "visitor")
            state.keys.push_back(f[2]);
    }
    return state;
}

class DemoSimulationTest : public ::testing::Test {
  protected:
    bool startServer(const std::vector<std::string>& args) {
        server.addArgs(args);
        return server.start();
    }
    DemoServerProcess server{TAVORO_DEMO_SERVER};
};

}  // namespace

TEST_F(DemoSimulationTest, SitesDetailsAndTheSeededVisitors) {
    ASSERT_TRUE(startServer({"--event-rate", "0", "--visitors", "25"})) << server.error();
    DemoClient client(server.port());
    ASSERT_TRUE(client.logIn("demo", "demo", "Test Operator"));

    ASSERT_TRUE(client.send("@GETDS"));
    const auto ds = client.waitFor("@DS:");
    ASSERT_TRUE(ds);
    const Messages::S_DS summaries{TavoroMessage(*ds)};
    ASSERT_EQ(summaries.count(), 6);

    // Every site answers "@GETSD" with its own record; two groups and sites without one.
    std::map<wxString, std::set<wxString>> groups;
    long summedVisitors = 0;
    for (const auto& summary : summaries.summaries()) {
        summedVisitors += wxAtol(summary.currentVisitors);
        ASSERT_TRUE(client.send("@GETSD:" + summary.site));
        const auto sd = client.waitFor("@SD:");
        ASSERT_TRUE(sd) << summary.site;
        const Messages::S_SD site{TavoroMessage(*sd)};
        EXPECT_EQ(site.siteKey(), summary.site);
        EXPECT_FALSE(site.siteName().empty());
        EXPECT_FALSE(site.domain().empty());
        EXPECT_GE(site.alertCount(), 2);
        std::set<long> flags;
        for (const auto& alert : site.alerts())
            flags.insert(alert.flagKind);
        EXPECT_EQ(flags.size(), site.alerts().size()) << "alerts of one site differ in flag";
        groups[site.groupName()].insert(site.siteKey());
    }
    EXPECT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[""].size(), 2u) << "sites without a group";
    EXPECT_EQ(summedVisitors, 25);

    ASSERT_TRUE(client.send("@GET"));
    const auto cv = client.waitFor("@CV:");
    ASSERT_TRUE(cv);
    Types::VisitorList list;
    apply(list, *cv);
    EXPECT_EQ(list.size(), 25u);
    std::set<wxString> keys;
    for (const auto& v : list) {
        keys.insert(v.visitorKey());
        EXPECT_TRUE(summaries.count() > 0 && !v.site().empty() && !v.ipAddress().empty());
        EXPECT_GE(v.pageViews(), 1);
    }
    EXPECT_EQ(keys.size(), 25u) << "visitor keys are unique";
}

TEST_F(DemoSimulationTest, NoEventsBeforeStartEventsAndEventsAfter) {
    ASSERT_TRUE(startServer({"--event-rate", "50", "--seed", "11"})) << server.error();
    // Without a seed the steps run at once; here a second, already watching client starts
    // them, so events are generated while the first client has not asked for them yet.
    DemoClient watcher(server.port());
    ASSERT_TRUE(watcher.logIn("support", "support", "Watcher"));
    ASSERT_TRUE(watcher.send("@STARTEVENTS"));
    ASSERT_TRUE(watcher.waitFor("@EV:", 3000));

    DemoClient client(server.port());
    ASSERT_TRUE(client.logIn("demo", "demo", "Test Operator"));
    ASSERT_TRUE(client.send("@GET"));
    int early = 0;
    client.readFor(800, [&](const wxString& t) { early += isVisitorEvent(t); });
    EXPECT_EQ(early, 0);
    ASSERT_TRUE(client.send("@STARTEVENTS"));
    int events = 0;
    client.readFor(1000, [&](const wxString& t) { events += isVisitorEvent(t); });
    EXPECT_GE(events, 20) << "50 events a second";
    EXPECT_LE(events, 120);
}

TEST_F(DemoSimulationTest, TheSameSeedGivesTheSameFirstEvents) {
    auto firstEvents = [](const std::string& seed) {
        DemoServerProcess server(TAVORO_DEMO_SERVER);
        server.addArgs({"--seed", seed, "--event-rate", "200", "--chat-interval", "0"});
        std::vector<wxString> events;
        if (!server.start())
            return events;
        DemoClient client(server.port());
        if (!client.logIn("demo", "demo", "Test Operator"))
            return events;
        client.send("@GET");
        if (auto cv = client.waitFor("@CV:"))
            events.push_back(*cv);
        client.send("@STARTEVENTS");
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (events.size() < 60 && std::chrono::steady_clock::now() < deadline) {
            if (auto t = client.waitForMatch(isVisitorEvent, 1000, [](const wxString&) {}))
                events.push_back(*t);
        }
        return events;
    };
    const auto first = firstEvents("42");
    const auto second = firstEvents("42");
    const auto other = firstEvents("43");
    ASSERT_EQ(first.size(), 60u);
    EXPECT_EQ(first, second);
    EXPECT_NE(first, other);
}

TEST_F(DemoSimulationTest, TheServersAccountAgreesWithWhatTheClientApplied) {
    ASSERT_TRUE(startServer({"--event-rate", "300", "--visitors", "30", "--chat-interval", "1",
                             "--state-file", server.stateFile()}))
        << server.error();
    DemoClient client(server.port());
    ASSERT_TRUE(client.logIn("demo", "demo", "Test Operator"));
    Types::VisitorList list;
    ASSERT_TRUE(client.send("@GET"));
    auto cv = client.waitFor("@CV:");
    ASSERT_TRUE(cv);
    apply(list, *cv);
    ASSERT_TRUE(client.send("@STARTEVENTS"));
    int events = 0;
    std::vector<Messages::S_PopupMessage::Kind> popups;
    client.readFor(2500, [&](const wxString& t) {
        events += isVisitorEvent(t);
        if (t.StartsWith("@POPUP:"))
            popups.push_back(Messages::S_PopupMessage(TavoroMessage(t)).kind());
        apply(list, t);
    });
    EXPECT_GT(events, 300);
    // Prospects, customers and exceptions are announced, but never more than one in 5 s.
    ASSERT_EQ(popups.size(), 1u);
    EXPECT_GE(popups[0], Messages::S_PopupMessage::POPUP_NEW_PROSPECT);
    EXPECT_LE(popups[0], Messages::S_PopupMessage::POPUP_NEW_EXCEPTION);

    // "@STATE" is answered in order with the events, so every event sent before it has been
    // applied when the answer arrives.
    ASSERT_TRUE(client.send("@STATE"));
    const auto reply = client.waitFor("@STATE:", 5000, [&](const wxString& t) { apply(list, t); });
    ASSERT_TRUE(reply);
    const ServerState state = parseState(reply->Mid(7).ToStdString());
    EXPECT_GT(state.steps, 300);
    std::vector<std::string> clientKeys;
    for (const auto& v : list)
        clientKeys.push_back(v.visitorKey().ToStdString());
    EXPECT_EQ(clientKeys, state.keys);
    int listed = 0;
    for (const auto& [site, count] : state.counts) {
        EXPECT_EQ(list.siteCount(site), count) << site;
        listed += count;
    }
    EXPECT_EQ(listed, static_cast<int>(list.size()));
    EXPECT_TRUE(list.isConsistent());

    // The state file is the same account, at most 200 ms behind.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::ifstream in(server.stateFile());
    std::ostringstream text;
    text << in.rdbuf();
    const ServerState fromFile = parseState(text.str());
    EXPECT_GT(fromFile.steps, 0);
    EXPECT_EQ(fromFile.counts.size(), 6u);
    int filed = 0;
    for (const auto& entry : fromFile.counts)
        filed += entry.second;
    EXPECT_EQ(filed, static_cast<int>(fromFile.keys.size()));
}

// The load mode's stream keeps the list consistent, and its probes measure the client: a ping
// comes in line with the events and the answer's round trip is reported. The rate reached is
// printed for the record; the load benchmark measures rates, not this test.
TEST_F(DemoSimulationTest, LoadModeStreamsEventsAndMeasuresTheClientsLag) {
    ASSERT_TRUE(startServer({"--event-rate", "5000", "--visitors", "300", "--chat-interval", "0",
                             "--quiet-events", "--seed", "5", "--probe-interval", "50",
                             "--probe-report", server.probeReport()}))
        << server.error();
    DemoClient client(server.port());
    ASSERT_TRUE(client.logIn("demo", "demo", "Load Test"));
    Types::VisitorList list;
    ASSERT_TRUE(client.send("@GET"));
    auto cv = client.waitFor("@CV:");
    ASSERT_TRUE(cv);
    apply(list, *cv);
    ASSERT_TRUE(client.send("@STARTEVENTS"));
    long events = 0;
    std::vector<std::string> answered;
    const auto start = std::chrono::steady_clock::now();
    client.readFor(2000, [&](const wxString& t) {
        events += isVisitorEvent(t);
        apply(list, t);
        if (t.StartsWith("@PING:")) {
            answered.push_back(t.Mid(6).ToStdString());
            client.send("@PONG:" + t.Mid(6));
        }
    });
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("load mode: %ld events in %.2f s = %.0f events/s\n", events, seconds,
                events / seconds);
    EXPECT_GT(events, 0) << "the stream did not flow";
    EXPECT_TRUE(list.isConsistent());
    ASSERT_GE(answered.size(), 2u) << "pings come every 50 ms";

    // The answer to an unknown ping, or a malformed one, is not reported.
    ASSERT_TRUE(client.send("@PONG:999999"));
    ASSERT_TRUE(client.send("@PONG:1x"));
    ASSERT_TRUE(client.send("@ECHO:done"));
    ASSERT_TRUE(client.waitFor("@ECHO:done", 5000, [](const wxString&) {}));
    std::ifstream in(server.probeReport());
    std::vector<std::string> up, pongs;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string kind, connection, number;
        long long value = -1;
        fields >> kind >> connection >> number;
        if (kind == "up") {
            up.push_back(connection);
            EXPECT_GT(std::stoll(number), 0);
        } else if (kind == "pong" && fields >> value) {
            EXPECT_EQ(connection, up.empty() ? "" : up[0]);
            EXPECT_GE(value, 0);
            pongs.push_back(number);
        } else {
            ADD_FAILURE() << "unexpected report line: " << line;
        }
    }
    EXPECT_EQ(up.size(), 1u) << "one line when monitoring started";
    EXPECT_EQ(pongs, answered) << "one line per answered ping, nothing for the others";
    EXPECT_TRUE(server.running());
}

TEST_F(DemoSimulationTest, AClientThatStopsReadingIsDroppedWithoutHurtingOthers) {
    ASSERT_TRUE(startServer({"--event-rate", "5000", "--quiet-events", "--chat-interval", "0"}))
        << server.error();
    DemoClient stuck(server.port());
    ASSERT_TRUE(stuck.logIn("demo", "demo", "Never Reads"));
    ASSERT_TRUE(stuck.send("@STARTEVENTS"));
    DemoClient reader(server.port());
    ASSERT_TRUE(reader.logIn("support", "support", "Reads"));
    ASSERT_TRUE(reader.send("@STARTEVENTS"));
    long events = 0;
    bool dropped = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(25);
    while (!dropped && std::chrono::steady_clock::now() < deadline) {
        reader.readFor(500, [&](const wxString& t) { events += isVisitorEvent(t); });
        dropped = server.log().find("dropped") != std::string::npos;
    }
    EXPECT_TRUE(dropped) << "the client that never reads is dropped";
    EXPECT_GT(events, 5000);
    ASSERT_TRUE(reader.send("@ECHO:alive"));
    EXPECT_TRUE(reader.waitFor("@ECHO:alive", 5000, [](const wxString&) {}));
}

TEST(DemoSimulationOptions, RefusesBadSimulationValues) {
    for (const std::string& args :
         {std::string("--event-rate -1"), std::string("--event-rate abc"),
          std::string("--event-rate 1.2.3"), std::string("--event-rate 200000"),
          std::string("--visitors 999999"), std::string("--visitors -3"),
          std::string("--chat-interval x"), std::string("--chat-leave-after 1.5"),
          std::string("--state-file")}) {
        const std::string command = std::string(TAVORO_DEMO_SERVER) + " " + args + " 2>/dev/null";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << args;
        EXPECT_EQ(WEXITSTATUS(status), 2) << args;
    }
}
