// The main window under load from the demo server, with encryption on: a large visitor list
// and a fast event stream. Correctness is asserted (the window agrees with the server and
// keeps up); the figures are printed for the record, never asserted.
#include <gtest/gtest.h>

#include <wx/grid.h>
#include <wx/stopwatch.h>
#include <wx/weakref.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "FrameTestUtil.h"
#include "GuiTestUtil.h"
#include "app/TavoroClientFrame.h"
#include "app/UiPrompts.h"
#include "dialog/VisitorChatFrame.h"
#include "support/DemoServerProcess.h"
#include "support/ProcessFigures.h"
#include "support/StallProbe.h"
#include "support/TempDir.h"
#include "support/TestCertificates.h"
#include "widgets/VisitorGrid.h"

using namespace Tavoro;
using Tavoro::Test::waitFor;

namespace {

class LoadTest : public ::testing::Test {
  protected:
    void TearDown() override {
        if (weak) {
            weak->Destroy();
            EXPECT_TRUE(waitFor([&] { return !weak; }));
        }
        UiPrompts::messageBox = nullptr;
    }
    // Starts the client and returns the milliseconds from asking for the visitor list to
    // the moment the window has shown it and started the event stream.
    long startClient(long limitMs) {
        UiPrompts::messageBox = [](wxWindow*, const wxString&, const wxString&, long) {
            return wxOK;
        };
        // Over TLS: the server with a certificate of a throw-away CA for "localhost", the client
        // trusting that CA.
        std::string security;
        if (overTls) {
            EXPECT_TRUE(certs.make());
            server.addArgs({"--tls-cert", certs.pem("server"), "--tls-key", certs.key("server")});
            security = "[Security]\nUseTLS=yes\nTLSCAFile=" + certs.pem("ca") + "\n";
        }
        EXPECT_TRUE(server.start());
        Tavoro::Test::useSettingsFile(
            dir, std::string("[General]\nServerDNSIP=") + (overTls ? "localhost" : "127.0.0.1") +
                     "\nClientPortNumber=" + std::to_string(server.port()) +
                     "\nUsername=demo\nPassword=demo\n" + security);
        frame = new TavoroClientFrame(nullptr, wxID_ANY);
        weak = frame;
        frame->Show();
        wxStopWatch watch;
        long askedAt = -1, shownAt = -1;
        frame->session().sentTextObserver = [&](const wxString& text) {
            if (text == "@GET")
                askedAt = watch.Time();
            if (text == "@STARTEVENTS")
                shownAt = watch.Time();
        };
        frame->session().unhandledMessageObserver = [this](const Messages::TavoroMessage& m) {
            if (m.command() != "@STATE")
                return;
            // What the window holds when the reply is handled: every event sent before the
            // reply has been applied, none sent after it.
            stateReplies.push_back(m.data());
            windowKeys.clear();
            for (const auto& v : frame->session().visitors())
                windowKeys.push_back(v.visitorKey());
        };
        frame->connectToServer();
        EXPECT_TRUE(waitFor([&] { return shownAt >= 0; }, limitMs));
        frame->session().sentTextObserver = nullptr;
        return shownAt - askedAt;
    }
    // Asks the server for its account and returns the round trip in milliseconds, or -1.
    long stateRoundTrip(long limitMs) {
        stateReplies.clear();
        wxStopWatch watch;
        frame->sendToServer("@STATE");
        if (!waitFor([&] { return !stateReplies.empty(); }, limitMs))
            return -1;
        return watch.Time();
    }
    std::vector<wxString> serverKeys() const {
        std::vector<wxString> keys;
        std::istringstream in(stateReplies.empty() ? "" : stateReplies[0].ToStdString());
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("visitor\t", 0) == 0)
                keys.push_back(wxString(line.substr(line.rfind('\t') + 1)));
        }
        return keys;
    }

    void runEventStream(const char* rate);
    void runChatLines(const char* rate, long paceMs);

    Tavoro::Test::TempDir dir;
    bool overTls = false;
    Tavoro::Test::TempDir certDir;
    Tavoro::Test::TestCertificates certs{certDir.path().ToStdString()};
    Tavoro::Test::DemoServerProcess server{TAVORO_DEMO_SERVER};
    TavoroClientFrame* frame = nullptr;
    wxWeakRef<TavoroClientFrame> weak;
    std::vector<wxString> stateReplies;
    std::vector<wxString> windowKeys;
};

// The checks at a rate a loaded two-core test machine sustains with room to spare; the
// DISABLED_ variants below run the same at 5,000 events/s for the record.
void LoadTest::runEventStream(const char* rateAsked) {
    server.addArgs({"--visitors", "10000", "--event-rate", rateAsked, "--chat-interval", "0",
                    "--quiet-events"});
    const long listMs = startClient(60000);
    ASSERT_EQ(frame->visitorGrid()->GetNumberRows(),
              static_cast<int>(frame->session().visitors().size()));
    const long rssAfterList = Tavoro::Test::residentKb();

    // Events flow at the server's rate while the window keeps handling them.
    const unsigned long before = frame->session().eventsHandled();
    Tavoro::Test::StallProbe probe;
    wxStopWatch watch;
    long longestTurn = 0;
    while (watch.Time() < 5000) {
        wxStopWatch turn;
        Tavoro::Test::runEventsOnce();
        longestTurn = std::max(longestTurn, turn.Time());
    }
    const double rate = (frame->session().eventsHandled() - before) * 1000.0 / watch.Time();
    probe.stop();
    const long roundTrip = stateRoundTrip(30000);
    ASSERT_GE(roundTrip, 0) << "the window fell behind the event stream";
    const std::vector<wxString> keys = serverKeys();
    const size_t serverCount = keys.size();
    EXPECT_EQ(windowKeys, keys) << "the window lost or invented visitors";
    std::printf(
        "[figures] 10,000 visitors%s, %s events/s asked: list to filled grid %ld ms; events "
        "handled %.0f/s; "
        "longest event-loop turn %ld ms; longest GUI stall %ld ms; state round trip %ld ms; RSS "
        "%ld kB after the list, %ld kB after the events; visitors: window %zu, server %zu\n",
        overTls ? " over TLS" : "", rateAsked, listMs, rate, longestTurn, probe.longestMs(),
        roundTrip, rssAfterList, Tavoro::Test::residentKb(), windowKeys.size(), serverCount);
}

// The simulated visitor answers every operator line after a short delay. With paceMs 0 all
// 1,000 lines go out at once and the answers arrive as a burst; otherwise one line goes out
// every paceMs and the answers arrive at that pace, as in a lively chat.
void LoadTest::runChatLines(const char* rate, long paceMs) {
    server.addArgs({"--visitors", "10000", "--event-rate", rate, "--chat-interval", "1",
                    "--chat-leave-after", "100000", "--numbered-lines", "--quiet-events"});
    startClient(60000);
    wxGrid* chats = frame->chattingGrid();
    const int waiting = Tavoro::Test::waitForWaitingChat(chats, 20000);
    ASSERT_GE(waiting, 0) << "no chat request arrived";
    const wxString chatId = chats->GetCellValue(waiting, 0);
    frame->startChat(waiting);
    Dialog::VisitorChatFrame* window = frame->chatWindow(chatId);
    ASSERT_TRUE(window);

    // Every answer must reach the transcript, once and in order, while the visitor events keep
    // flowing.
    constexpr int kLines = 1000;
    Tavoro::Test::StallProbe probe;
    for (int i = 1; i <= kLines; ++i) {
        frame->sendChatText(chatId, wxString::Format("q%d", i));
        if (paceMs > 0)
            Tavoro::Test::pumpEvents(paceMs);
    }
    ASSERT_TRUE(waitFor([&] { return frame->lineLatenciesMs().size() >= kLines; }, 60000))
        << frame->lineLatenciesMs().size() << " lines arrived";
    probe.stop();
    const wxString html = window->transcript_html();
    size_t at = 0;
    for (int i = 1; i <= kLines; ++i) {
        const size_t found = html.find(wxString::Format("line %d:", i), at);
        ASSERT_NE(found, wxString::npos) << "visitor line " << i << " missing or out of order";
        at = found + 1;
    }

    std::vector<long> latencies = frame->lineLatenciesMs();
    std::sort(latencies.begin(), latencies.end());
    std::printf(
        "[figures] chat lines with 10,000 visitors and %s events/s, %s: %zu lines, frame read to "
        "line in the transcript view median %ld ms, 99th percentile %ld ms, max %ld ms; longest "
        "GUI stall %ld ms\n",
        rate, paceMs > 0 ? "paced lines" : "all at once", latencies.size(),
        latencies[latencies.size() / 2], latencies[latencies.size() * 99 / 100], latencies.back(),
        probe.longestMs());
}

TEST_F(LoadTest, TenThousandVisitorsAndAFastEventStream) {
    runEventStream("2000");
}
TEST_F(LoadTest, ChatLinesArriveInOrderWhileEventsFlow) {
    runChatLines("2000", 0);
}
TEST_F(LoadTest, DISABLED_FiveThousandEventsPerSecond) {
    runEventStream("5000");
}
// The same with the connection inside TLS, and both at 20,000 events/s, for the cost of TLS.
TEST_F(LoadTest, DISABLED_FiveThousandEventsPerSecondOverTls) {
    overTls = true;
    runEventStream("5000");
}
TEST_F(LoadTest, DISABLED_TwentyThousandEventsPerSecond) {
    runEventStream("20000");
}
TEST_F(LoadTest, DISABLED_TwentyThousandEventsPerSecondOverTls) {
    overTls = true;
    runEventStream("20000");
}
TEST_F(LoadTest, DISABLED_ChatBurstAtFiveThousandEventsPerSecond) {
    runChatLines("5000", 0);
}
TEST_F(LoadTest, DISABLED_ChatLineEvery20MsAtFiveThousandEventsPerSecond) {
    runChatLines("5000", 20);
}

// Heavier run for the record: `e2e_test_app_load --gtest_also_run_disabled_tests`.
TEST_F(LoadTest, DISABLED_FiftyThousandVisitors) {
    server.addArgs(
        {"--visitors", "50000", "--event-rate", "0", "--chat-interval", "0", "--quiet-events"});
    const long listMs = startClient(120000);
    ASSERT_EQ(frame->session().visitors().size(), 50000u);
    std::printf("[figures] 50,000 visitors: list to filled grid %ld ms; RSS %ld kB\n", listMs,
                Tavoro::Test::residentKb());
}

}  // namespace
