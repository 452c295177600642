// The real main window against a demo server that misbehaves: it goes away (stopped, killed,
// restarted on the same port) or sends what it should not (closes early, splits frames into
// single bytes, breaks frames off, sends frames that do not decrypt, garbage, a huge frame,
// unknown commands, broken records, wide characters, or nothing at all). After each fault the
// window must still answer, a following valid exchange must work, a restarted server must be
// reachable by reconnecting, and the operator must see only the client's own texts.
#include <gtest/gtest.h>

#include <wx/arrstr.h>
#include <wx/grid.h>
#include <wx/statusbr.h>
#include <wx/stopwatch.h>
#include <wx/weakref.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "FrameTestUtil.h"
#include "GuiTestUtil.h"
#include "app/SiteTreeView.h"
#include "app/TavoroClientFrame.h"
#include "app/UiPrompts.h"
#include "dialog/VisitorChatFrame.h"
#include "settings/TavoroSettings.h"
#include "support/DemoServerProcess.h"
#include "support/TempDir.h"
#include "widgets/VisitorGrid.h"

using namespace Tavoro;
using Tavoro::Test::waitFor;

namespace {

// Bounds of the waits below: generous for a loaded two-core machine; a healthy run takes a
// fraction of them.
constexpr long kSessionMs = 20000;
constexpr long kShortMs = 5000;

// Records every text the window puts into its status bar (each change of a field's text).
class RecordingStatusBar : public wxStatusBar {
  public:
    RecordingStatusBar(wxWindow* parent, std::vector<wxString>& texts)
        : wxStatusBar(parent, wxID_ANY), m_texts(texts) {}

  protected:
    void DoUpdateStatusText(int number) override {
        m_texts.push_back(GetStatusText(number));
        wxStatusBar::DoUpdateStatusText(number);
    }

  private:
    std::vector<wxString>& m_texts;
};

// The texts the window may show in its status bar while connections come and go.
bool isClientStatusText(const wxString& text) {
    static const std::set<wxString> known = {
        "",
        "Connecting to Tavoro Demo Server version 1.0.0 registered to Tavoro Demo Company",
        "Connected to Tavoro version 1.0.0 registered to Tavoro Demo Company",
        "The server has closed the connection",
        "The connection to the server was lost",
        "Could not connect to the server",
    };
    return known.count(text) > 0 || text.StartsWith("Connection lost, reconnecting in ");
}

// The visitor keys of the server's account, lines "visitor<TAB>site<TAB>key".
std::vector<wxString> visitorKeysOf(const wxString& stateReply) {
    std::vector<wxString> keys;
    for (const wxString& line : wxSplit(stateReply, '\n', '\0')) {
        const wxArrayString fields = wxSplit(line, '\t', '\0');
        if (fields.size() == 3 && fields[0] == "visitor")
            keys.push_back(fields[2]);
    }
    return keys;
}

// The lines of the server's frame log other than the frames it sent (for failure messages).
std::string receivedLines(const std::string& log) {
    std::string out;
    size_t start = 0;
    while (start < log.size()) {
        size_t end = log.find('\n', start);
        if (end == std::string::npos)
            end = log.size();
        const std::string line = log.substr(start, end - start);
        if (line.find("] -> ") == std::string::npos)
            out += line.substr(0, 200) + "\n";
        start = end + 1;
    }
    return out;
}

// A memory figure of this process in kB: "VmRSS" (now) or "VmHWM" (the peak so far).
long memoryKb(const std::string& field) {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(field + ":", 0) == 0)
            return std::stol(line.substr(field.size() + 1));
    }
    return -1;
}

// The per-site visitor counts of the server's account, lines "site<TAB>key<TAB>count".
std::map<wxString, long> siteCountsOf(const wxString& stateReply) {
    std::map<wxString, long> counts;
    for (const wxString& line : wxSplit(stateReply, '\n', '\0')) {
        const wxArrayString fields = wxSplit(line, '\t', '\0');
        long count = 0;
        if (fields.size() == 3 && fields[0] == "site" && fields[2].ToLong(&count))
            counts[fields[1]] = count;
    }
    return counts;
}

// The hexadecimal form of a text as a server writes it: STX, then each UTF-16 unit as four hex
// digits (characters beyond U+FFFF as a surrogate pair).
wxString hexForm(const std::u32string& text) {
    wxString out(wxUniChar(0x02));
    const auto unit = [&](unsigned u) { out += wxString::Format("%04X", u); };
    for (const char32_t c : text) {
        if (c > 0xFFFF) {
            const unsigned v = static_cast<unsigned>(c) - 0x10000;
            unit(0xD800 + (v >> 10));
            unit(0xDC00 + (v & 0x3FF));
        } else {
            unit(static_cast<unsigned>(c));
        }
    }
    return out;
}

std::string describe(const std::vector<wxString>& texts) {
    std::string out;
    for (const wxString& t : texts)
        out += "  [" + std::string(t.utf8_str()) + "]\n";
    return out;
}

class FaultTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UiPrompts::messageBox = [this](wxWindow*, const wxString& text, const wxString& caption,
                                       long) {
            prompts.push_back(caption + ": " + text);
            return wxOK;
        };
        UiPrompts::optionsDialog = [this](wxWindow*) {
            prompts.push_back("options dialog");
            return wxID_CANCEL;
        };
    }
    void TearDown() override {
        if (weak) {
            weak->Destroy();
            EXPECT_TRUE(waitFor([&] { return !weak; }));
        }
        UiPrompts::messageBox = nullptr;
        UiPrompts::optionsDialog = nullptr;
    }

    // Starts the server with the given options (a quiet, repeatable simulation besides) and
    // the window, and waits until the window has shown the visitors and asked for events.
    void startClient(const std::vector<std::string>& faultArgs, bool waitForLiveView = true) {
        server.addArgs(healthyArgs());
        server.addArgs(faultArgs);
        ASSERT_TRUE(server.start()) << server.error();
        Tavoro::Test::useSettingsFile(dir, "[General]\nServerDNSIP=127.0.0.1\nClientPortNumber=" +
                                               std::to_string(server.port()) +
                                               "\nUsername=demo\nPassword=demo\n");
        frame = new TavoroClientFrame(nullptr, wxID_ANY);
        weak = frame;
        wxStatusBar* original = frame->GetStatusBar();
        frame->SetStatusBar(new RecordingStatusBar(frame, statuses));
        original->Destroy();
        frame->Show();
        frame->session().setAutoReconnect(autoReconnect);
        frame->session().sentTextObserver = [this](const wxString& text) {
            if (text == "@STARTEVENTS") {
                ++startEventsSent;
                lastSessionStep = "live";
            }
            if (text.StartsWith("@LOGIN:"))
                lastSessionStep = "login";
        };
        frame->session().unhandledMessageObserver = [this](const Messages::TavoroMessage& m) {
            if (m.command() != "@STATE")
                return;
            // What the window holds when the reply is handled: every event the server sent
            // before the reply has been applied, none sent after it.
            stateReplies.push_back(m.data());
            gridKeys.clear();
            for (int row = 0; row < frame->visitorGrid()->GetNumberRows(); ++row)
                gridKeys.push_back(frame->visitorGrid()->key_at(row));
            listKeys.clear();
            for (const auto& v : frame->session().visitors())
                listKeys.push_back(v.visitorKey());
            siteLabels.clear();
            // Labels follow the counts a moment later; show them as of this reply.
            frame->siteTree()->showChangedCounts();
            for (const auto& site : frame->session().sites())
                siteLabels[site->siteKey()] =
                    frame->siteTree()->GetItemText(frame->siteTree()->siteNode(site->siteKey()));
        };
        frame->connectToServer();
        if (waitForLiveView) {
            ASSERT_TRUE(waitFor([&] { return startEventsSent > 0; }, kSessionMs))
                << "the first connection never reached the live view\n"
                << receivedLines(server.log());
        }
    }
    static std::vector<std::string> healthyArgs() {
        return {"--event-rate", "5", "--chat-interval", "0"};
    }

    // 1. The window answers: a call posted to it runs, and choosing "All Sites" in the tree
    // shows every visitor the window holds.
    void expectWindowAnswers() {
        ASSERT_TRUE(weak) << "the main window is gone";
        bool ran = false;
        frame->CallAfter([&ran] { ran = true; });
        ASSERT_TRUE(waitFor([&] { return ran; }, kShortMs)) << "the window does not answer";
        wxTreeCtrl* tree = frame->siteTree();
        tree->SelectItem(frame->siteTree()->monitoredSitesItem());
        tree->SelectItem(frame->siteTree()->allSitesItem());
        ASSERT_TRUE(
            waitFor([&] { return tree->GetSelection() == frame->siteTree()->allSitesItem(); }));
        EXPECT_EQ(frame->visitorGrid()->GetNumberRows(),
                  static_cast<int>(frame->session().visitors().size()));
    }

    // 2. The window agrees with the server: after a "@STATE" round trip the grid (all sites
    // selected) and the visitor list hold exactly the server's visitors.
    void expectAgreementWithServer() {
        frame->siteTree()->SelectItem(frame->siteTree()->allSitesItem());
        stateReplies.clear();
        frame->sendToServer("@STATE");
        ASSERT_TRUE(waitFor([&] { return !stateReplies.empty(); }, kSessionMs))
            << "no answer to @STATE";
        const std::vector<wxString> serverKeys = visitorKeysOf(stateReplies.back());
        ASSERT_FALSE(serverKeys.empty());
        EXPECT_EQ(listKeys, serverKeys) << "the window lost or invented visitors";
        std::vector<wxString> sortedGrid = gridKeys, sortedServer = serverKeys;
        std::sort(sortedGrid.begin(), sortedGrid.end());
        std::sort(sortedServer.begin(), sortedServer.end());
        EXPECT_EQ(sortedGrid, sortedServer) << "the grid does not show the server's visitors";
        EXPECT_EQ(frame->session().sites().size(), 6u) << "sites lost or doubled";
        // Each site's label in the tree carries the server's count of its visitors.
        for (const auto& [site, count] : siteCountsOf(stateReplies.back())) {
            EXPECT_TRUE(siteLabels[site].EndsWith(wxString::Format("(%ld)", count)))
                << site << ": " << siteLabels[site] << ", server " << count;
        }
    }

    // The operator's reconnect reaches the live view again: "@STARTEVENTS" is sent and the
    // window agrees with the server.
    void expectReconnectBringsLiveView() {
        const int before = startEventsSent;
        frame->reconnect();
        ASSERT_TRUE(waitFor([&] { return startEventsSent > before; }, kSessionMs))
            << "no live view after reconnecting\n"
            << describe(statuses);
        EXPECT_TRUE(frame->session().isLoggedIn());
        expectAgreementWithServer();
    }

    // 3. A server restarted on the same port (healthy this time) is reached by reconnecting.
    void expectRestartBringsLiveView() {
        // The new server has other visitors: what the window still shows of the old one
        // must give way to them.
        std::vector<std::string> args = healthyArgs();
        args.insert(args.end(), {"--visitors", "25"});
        ASSERT_TRUE(server.restart(args)) << server.error();
        // The old server's going away is noticed (or the reconnect below replaces the
        // connection anyway when the notice is still on its way).
        waitFor([&] { return !frame->session().hasConnection(); }, kShortMs);
        expectWindowAnswers();
        expectReconnectBringsLiveView();
    }

    // 4. The operator saw nothing but the client's own texts: no message box at all, and
    // only the connection texts in the status bar.
    void expectOnlyClientTexts() {
        EXPECT_TRUE(prompts.empty()) << "unexpected prompts:\n" << describe(prompts);
        for (const wxString& text : statuses) {
            EXPECT_TRUE(isClientStatusText(text))
                << "status text not the client's own: [" << text.ToStdString() << "]";
        }
    }

    wxString status() const { return frame->GetStatusBar()->GetStatusText(0); }

    // Waits (bounded) until count lines of the server's frame log contain the text, while
    // the window goes on handling what it receives.
    bool waitForServerLog(const std::string& text, size_t count, long limitMs) {
        return waitFor([&] { return server.countInLog(text) >= count; }, limitMs);
    }

    Tavoro::Test::TempDir dir;
    Tavoro::Test::DemoServerProcess server{TAVORO_DEMO_SERVER};
    TavoroClientFrame* frame = nullptr;
    wxWeakRef<TavoroClientFrame> weak;
    // Most faults here are met by the operator's own reconnect, so the session does not retry
    // on its own unless a test says so.
    bool autoReconnect = false;
    int startEventsSent = 0;
    std::string lastSessionStep;  // "login" or "live": the window's last step of a session
    std::vector<wxString> stateReplies;
    std::vector<wxString> gridKeys;
    std::vector<wxString> listKeys;
    std::map<wxString, wxString> siteLabels;  // site key to tree label, when the reply came
    std::vector<wxString> prompts;
    std::vector<wxString> statuses;
};

TEST_F(FaultTest, ServerRestartedOnTheSamePortIsReachedByReconnecting) {
    startClient({});
    expectAgreementWithServer();
    expectRestartBringsLiveView();
    expectOnlyClientTexts();
}

TEST_F(FaultTest, ServerKilledMidSessionLeavesTheWindowUsable) {
    startClient({"--event-rate", "200"});  // frames are in flight when it dies
    server.kill();
    ASSERT_TRUE(waitFor([&] { return !frame->session().hasConnection(); }, kShortMs));
    EXPECT_EQ(status(), "The connection to the server was lost");
    EXPECT_FALSE(frame->session().isLoggedIn());
    expectWindowAnswers();

    // Nobody listens: reconnecting says so and leaves the window as it was.
    frame->reconnect();
    ASSERT_TRUE(waitFor(
        [&] { return !frame->session().isConnecting() && !frame->session().hasConnection(); },
        Session::OperatorSession::kConnectTimeoutMs + kShortMs));
    EXPECT_EQ(status(), "Could not connect to the server");
    expectWindowAnswers();

    expectRestartBringsLiveView();
    expectOnlyClientTexts();
}

TEST_F(FaultTest, FrozenServerEndsTheConnectionNotTheWindow) {
    startClient({});
    server.pause();
    // The window keeps sending (large requests fill the socket buffers quickly) to a server
    // that reads nothing: a send may wait for the write timeout once, then the connection is
    // given up and the window goes on without it.
    const wxString request = "@NOSUCH:" + wxString('x', 64 * 1024);
    wxStopWatch watch;
    long longestSend = 0;
    int sends = 0;
    while (frame->session().hasConnection() && sends < 2000 && watch.Time() < kSessionMs) {
        wxStopWatch one;
        frame->sendToServer(request);
        longestSend = std::max(longestSend, one.Time());
        ++sends;
        wxTheApp->ProcessPendingEvents();
    }
    ASSERT_TRUE(waitFor([&] { return !frame->session().hasConnection(); }, kSessionMs))
        << sends << " requests sent to a frozen server without giving up";
    std::printf(
        "[figures] frozen server: connection given up after %d requests of 64 KiB and "
        "%ld ms; longest send %ld ms\n",
        sends, watch.Time(), longestSend);
    EXPECT_EQ(status(), "The connection to the server was lost");
    EXPECT_FALSE(frame->session().isLoggedIn());
    expectWindowAnswers();
    server.resume();
    expectRestartBringsLiveView();
    expectOnlyClientTexts();
}

// The server drops the connection right after the operator took a chat. The session retries on
// its own, the whole opening runs again, the chat is taken back with its transcript, and the
// line the operator wrote meanwhile reaches the visitor once: every numbered visitor line is
// in the window exactly once.
TEST_F(FaultTest, ADroppedConnectionHealsAndTheOpenChatIsTakenBack) {
    autoReconnect = true;
    startClient({"--chat-interval", "1", "--numbered-lines", "--fault", "drop-after-take",
                 "--fault-connections", "1"});
    const int waiting = Tavoro::Test::waitForWaitingChat(frame->chattingGrid(), kSessionMs);
    ASSERT_GE(waiting, 0) << "no chat request arrived";
    const wxString chatId = frame->chattingGrid()->GetCellValue(waiting, 0);
    frame->startChat(waiting);
    Dialog::VisitorChatFrame* window = frame->chatWindow(chatId);
    ASSERT_TRUE(window);
    ASSERT_TRUE(waitFor([&] { return frame->session().isRetryPending(); }, kSessionMs))
        << receivedLines(server.log());
    wxStopWatch healing;
    EXPECT_TRUE(status().StartsWith("Connection lost, reconnecting in 1 s (attempt 1)"))
        << status();
    frame->sendChatText(chatId, "question 1");  // held while the connection is down

    ASSERT_TRUE(waitFor([&] { return startEventsSent == 2; }, kSessionMs))
        << "the live view did not come back on its own\n"
        << describe(statuses);
    const long liveAgainMs = healing.Time();
    ASSERT_TRUE(
        waitForServerLog("<- @SENDTO:" + chatId.ToStdString() + ":question 1", 1, kSessionMs))
        << receivedLines(server.log());
    std::printf("[figures] dropped connection: live view back %ld ms after the loss\n",
                liveAgainMs);
    EXPECT_TRUE(window->transcript_html().Contains("sent after reconnecting"));
    frame->sendChatText(chatId, "question 2");
    ASSERT_TRUE(waitFor([&] { return window->transcript_html().Contains("line 3:"); }, kSessionMs))
        << "the visitor's answers did not reach the window";
    const wxString html = window->transcript_html();
    for (int line = 1; line <= 3; ++line) {
        const wxString text = wxString::Format("line %d:", line);
        size_t count = 0;
        for (size_t at = html.find(text); at != wxString::npos; at = html.find(text, at + 1))
            ++count;
        EXPECT_EQ(count, 1u) << text;
    }
    EXPECT_EQ(server.countInLog("] <- @SENDTO:" + chatId.ToStdString() + ":question 1"), 1u);
    EXPECT_TRUE(frame->session().isChatOpen(chatId));
    expectOnlyClientTexts();
}

TEST_F(FaultTest, CharactersBeyondTheBasicPlaneReachTheGridWhole) {
    startClient({});
    // A visitor event in the hexadecimal form whose browser text holds an emoji (a surrogate
    // pair on the wire) and a lone surrogate, handled by the window as if the server sent it.
    std::u32string line = U"S1:10.250.0.2:wide";
    for (int field = 1; field < 22; ++field) {
        line += U'\t';
        if (field == 12)
            line += U"Browser \U0001F600 ";
        if (field == 12)
            line += std::u32string(1, static_cast<char32_t>(0xD800));
    }
    frame->session().dispatch(Messages::TavoroMessage(hexForm(U"@EV:" + line)));
    const Types::VisitorType* visitor = frame->session().visitors().findByKey("S1:10.250.0.2:wide");
    ASSERT_TRUE(visitor);
    const wxString browser = VisitorGrid::get_visitor_info(COLUMN_BROWSER, *visitor);
    EXPECT_EQ(browser, wxString(L"Browser \U0001F600 \uFFFD"));
    // What the grid hands to the screen is valid UTF-8 that reads back the same.
    const wxScopedCharBuffer utf8 = browser.utf8_str();
    EXPECT_EQ(wxString::FromUTF8(utf8.data(), utf8.length()), browser);
    expectWindowAnswers();
    expectOnlyClientTexts();
}

TEST_F(FaultTest, FaultOnSeveralConnectionsInARowIsOutlastedByReconnecting) {
    // The first three connections are closed after the greeting; the fourth is served.
    startClient({"--fault", "close-after-hello", "--fault-connections", "3"}, false);
    for (int attempt = 1; attempt <= 3; ++attempt) {
        ASSERT_TRUE(waitForServerLog("fault close-after-hello injected", attempt, kSessionMs));
        ASSERT_TRUE(waitFor(
            [&] { return !frame->session().hasConnection() && !frame->session().isConnecting(); },
            kSessionMs))
            << "connection " << attempt;
        EXPECT_EQ(status(), "The connection to the server was lost");
        expectWindowAnswers();
        if (attempt < 3)
            frame->reconnect();
    }
    EXPECT_EQ(startEventsSent, 0);
    expectReconnectBringsLiveView();
    EXPECT_EQ(startEventsSent, 1);
    expectOnlyClientTexts();
}

TEST_F(FaultTest, HurriedReconnectsEndWithOneLiveConnection) {
    startClient({"--event-rate", "50"});
    // The operator presses "Re&connect" again and again, each time before the last attempt
    // got anywhere: the connections left behind must not feed the window.
    for (int i = 0; i < 5; ++i) {
        frame->reconnect();
        Tavoro::Test::pumpEvents(i * 20);
    }
    // The last connection reaches the live view: it logged in and then asked for events.
    ASSERT_TRUE(waitFor(
        [&] {
            return !frame->session().isConnecting() && frame->session().isLoggedIn() &&
                   lastSessionStep == "live";
        },
        kSessionMs))
        << "no live view after the reconnects; connection " << frame->session().hasConnection()
        << ", connecting " << frame->session().isConnecting() << "\n"
        << describe(statuses) << receivedLines(server.log());
    expectWindowAnswers();
    expectAgreementWithServer();
    // Every connection left behind was closed by the window: only the last one stays open.
    const size_t connections = server.countInLog("] connected");
    EXPECT_TRUE(waitForServerLog("] connection closed", connections - 1, kShortMs))
        << receivedLines(server.log());
    Tavoro::Test::pumpEvents(100);
    EXPECT_EQ(server.countInLog("] connection closed"), connections - 1);
    expectOnlyClientTexts();
}

// How a fault leaves the connection.
enum class After {
    Staying,  // open: the server sends a fresh "@CV" and the window must take it up
    Closing,  // closed by the server: the operator reconnects
    Silent,   // open but silent for good: the operator reconnects
};

struct FaultCase {
    const char* mode;
    After after;
    bool reachesLiveView;  // whether the faulty connection gets as far as "@STARTEVENTS"
    // "@STARTEVENTS" the faulty connection gets in all: the first, one for each "@CV" among
    // the fault frames, and the answer to the fresh "@CV" after them.
    size_t startEvents = 2;
};

std::ostream& operator<<(std::ostream& out, const FaultCase& c) {
    return out << c.mode;
}

class ServerFaultTest : public FaultTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(ServerFaultTest, WindowSurvivesAndRecovers) {
    const FaultCase& fault = GetParam();
    startClient({"--fault", fault.mode, "--fault-connections", "1"}, fault.reachesLiveView);
    if (HasFatalFailure())
        return;
    const std::string injected = std::string("[1] fault ") + fault.mode + " injected";
    const long peakBefore = memoryKb("VmHWM");
    wxStopWatch recovery;

    switch (fault.after) {
        case After::Staying:
            // The fresh "@CV" after the fault is answered: the window follows the server again.
            ASSERT_TRUE(waitForServerLog(injected, 1, kSessionMs)) << receivedLines(server.log());
            recovery.Start();
            ASSERT_TRUE(waitForServerLog("[1] <- @STARTEVENTS", fault.startEvents, kSessionMs))
                << "the fresh visitor list after the fault was not taken up; \"@CV\" sent "
                << server.countInLog("] -> @CV:") << " times, events handled "
                << frame->session().eventsHandled() << ", connection "
                << frame->session().hasConnection() << "\n"
                << receivedLines(server.log());
            ASSERT_TRUE(waitFor(
                [&] { return startEventsSent >= static_cast<int>(fault.startEvents); }, kShortMs));
            expectWindowAnswers();
            EXPECT_TRUE(frame->session().isLoggedIn());
            expectAgreementWithServer();
            break;
        case After::Closing:
            ASSERT_TRUE(waitForServerLog(injected, 1, kSessionMs)) << receivedLines(server.log());
            ASSERT_TRUE(waitFor(
                [&] {
                    return !frame->session().hasConnection() && !frame->session().isConnecting();
                },
                kSessionMs))
                << "the closed connection went unnoticed";
            EXPECT_EQ(status(), "The connection to the server was lost");
            EXPECT_FALSE(frame->session().isLoggedIn());
            expectWindowAnswers();
            recovery.Start();
            expectReconnectBringsLiveView();
            break;
        case After::Silent:
            ASSERT_TRUE(waitForServerLog(injected, 1, kSessionMs));
            // Requests to a silent server go out without holding up the window.
            frame->sendToServer("@STATE");
            expectWindowAnswers();
            EXPECT_TRUE(waitForServerLog("[1] <- @STATE", 1, kShortMs));
            recovery.Start();
            expectReconnectBringsLiveView();
            break;
    }
    std::printf(
        "[figures] fault %s: live view back %ld ms after the fault (%s); RSS %ld kB, "
        "peak %ld kB (%ld kB before)\n",
        fault.mode, recovery.Time(),
        fault.after == After::Staying ? "fresh list on the same connection"
                                      : "operator's reconnect",
        memoryKb("VmRSS"), memoryKb("VmHWM"), peakBefore);
    expectRestartBringsLiveView();
    expectOnlyClientTexts();
}

INSTANTIATE_TEST_SUITE_P(Modes, ServerFaultTest,
                         ::testing::Values(FaultCase{"close-after-hello", After::Closing, false},
                                           FaultCase{"close-after-session", After::Closing, false},
                                           FaultCase{"bytewise", After::Staying, true},
                                           FaultCase{"close-mid-frame", After::Closing, true},
                                           FaultCase{"undecryptable", After::Staying, true},
                                           FaultCase{"bad-pad", After::Staying, true},
                                           FaultCase{"random-bytes", After::Staying, true},
                                           FaultCase{"huge-frame", After::Staying, true},
                                           FaultCase{"unknown-commands", After::Staying, true},
                                           FaultCase{"bad-records", After::Staying, true, 3},
                                           FaultCase{"wide-chars", After::Staying, true},
                                           FaultCase{"mute", After::Silent, true}),
                         [](const ::testing::TestParamInfo<FaultCase>& info) {
                             std::string name = info.param.mode;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
