// The stall probe's own checks (quick, every run), and the soak run of the main window: an
// operator at work against a busy demo server for as long as TAVORO_SOAK_SECONDS says.
// Without that variable the soak test is skipped, so it costs the regular test run nothing;
// scripts/soak.sh sets it and reads the figures it prints.
#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/resource.h>

#include <wx/evtloop.h>
#include <wx/grid.h>
#include <wx/stopwatch.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/utils.h>
#include <wx/weakref.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "FrameTestUtil.h"
#include "GuiTestUtil.h"
#include "app/TavoroClientFrame.h"
#include "app/UiPrompts.h"
#include "dialog/VisitorChatFrame.h"
#include "settings/TavoroSettings.h"
#include "support/DemoServerProcess.h"
#include "support/ProcessFigures.h"
#include "support/StallProbe.h"
#include "support/TempDir.h"
#include "widgets/Notifications.h"

using namespace Tavoro;
using Tavoro::Test::DemoServerProcess;
using Tavoro::Test::StallProbe;
using Tavoro::Test::waitFor;

namespace {

// Keeps the GUI thread busy, as a slow handler would.
void blockGuiThread(long ms) {
    wxMilliSleep(ms);
}

TEST(StallProbeTest, MeasuresAStallAndNothingAfterStop) {
    StallProbe probe;
    ASSERT_TRUE(waitFor([&] { return probe.count() >= 3; }, 5000));

    // The ping posted during the stall waits for most of it (the pinging thread posts within
    // an interval of the stall's start unless the machine delays it badly).
    blockGuiThread(300);
    const unsigned long before = probe.count();
    ASSERT_TRUE(waitFor([&] { return probe.count() > before; }, 5000));
    EXPECT_GE(probe.longestMs(), 100);
    // One ping was outstanding during the stall: the queue is not flooded with pings that
    // would all run afterwards.
    EXPECT_LE(probe.count(), before + 2);

    probe.stop();
    const unsigned long stopped = probe.count();
    Tavoro::Test::pumpEvents(100);
    EXPECT_EQ(probe.count(), stopped);
    probe.stop();  // a second stop is harmless

    // reset forgets the earlier figures; started again, it counts again.
    probe.reset();
    EXPECT_EQ(probe.longestMs(), 0);
    EXPECT_EQ(probe.count(), 0u);
    probe.start();
    ASSERT_TRUE(waitFor([&] { return probe.count() >= 3; }, 5000));
}

TEST(StallProbeTest, APingQueuedWhenTheProbeIsDestroyedIsHarmless) {
    auto probe = std::make_unique<StallProbe>(1);
    ASSERT_TRUE(waitFor([&] { return probe->count() >= 1; }, 5000));
    // While the GUI thread is busy the probe posts its next ping; destroying the probe leaves
    // that ping queued, and running it later touches nothing that is gone.
    blockGuiThread(50);
    probe.reset();
    Tavoro::Test::pumpEvents(50);

    StallProbe idle(10, false);
    Tavoro::Test::pumpEvents(50);
    EXPECT_EQ(idle.count(), 0u) << "a probe not started does not ping";
}

// ---------------------------------------------------------------------------------------------
// The soak run.

// CPU time of the whole process (every thread), user and system, in seconds.
double cpuSeconds() {
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

std::string envOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

// Runs the toolkit's own event loop, as the application does, for ms milliseconds, calling
// tick every tickMs; the loop ends early when tick returns false.
void runLoop(long ms, int tickMs, const std::function<bool()>& tick) {
    wxGUIEventLoop loop;
    wxTimer timer;
    wxStopWatch watch;
    timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        if (watch.Time() >= ms || !tick()) {
            timer.Stop();
            loop.Exit();
        }
    });
    timer.Start(tickMs);
    loop.Run();
}

// Visitors answer this many operator lines and then leave the chat (the server's
// "--chat-leave-after"); the operator means to close each chat after 3 to 14 lines, so some
// chats are closed by the operator and the others left by the visitor.
constexpr int kLeaveAfter = 10;
constexpr int kFewestLines = 3;
constexpr int kMostLines = 14;
// An answer, or the leave notice, not there after this long counts as lost.
constexpr long kAnswerLimitMs = 15000;

// The test operator: picks up every chat request, types a line every 0.5 to 1 s once the
// visitor has answered the previous one, closes chats, and checks every chat's visitor lines.
//
// closeWaitMs: how long the operator waits after a chat window's last visitor line before
// closing the window. 0 is the operator who closes at once; see scripts/soak.sh for why a run
// may need it longer.
class Operator {
  public:
    Operator(TavoroClientFrame* frame, long closeWaitMs)
        : m_frame(frame), m_closeWaitMs(closeWaitMs) {}

    void tick(long now) {
        pickUpWaitingChats(now);
        for (auto it = m_chats.begin(); it != m_chats.end();) {
            it = work(*it, now) ? std::next(it) : m_chats.erase(it);
        }
    }
    // Closes every open chat (end of the run); returns when their windows are gone.
    bool closeAll(long now) {
        long lastEndAt = now;
        for (Chat& chat : m_chats) {
            if (chat.window && chat.ending == Ending::None) {
                account(chat, Tavoro::Test::visitorLineNumbers(chat.window->transcript_html()),
                        false, "open at the end");
                endChat(chat, Ending::CloseChat, now);
            }
            lastEndAt = std::max(lastEndAt, chat.endAt);
        }
        Tavoro::Test::pumpEvents(lastEndAt - now);  // the operator's wait before closing
        for (Chat& chat : m_chats) {
            if (chat.window)
                perform(chat);
        }
        const bool gone = waitFor(
            [&] {
                return std::none_of(m_chats.begin(), m_chats.end(),
                                    [](const Chat& c) { return static_cast<bool>(c.window); });
            },
            15000);
        m_chats.clear();
        return gone;
    }

    // One line per chat whose visitor lines were not all there and in order.
    std::vector<std::string> problems;
    int chatsTaken = 0;
    int chatsClosedByOperator = 0;
    int chatsLeftByVisitor = 0;
    int windowsMissing = 0;
    long linesSent = 0;
    long linesReceived = 0;
    long linesLost = 0;
    long linesOutOfOrder = 0;

  private:
    enum class Ending { None, CloseChat, CloseWindow };
    struct Chat {
        wxString id;
        wxWeakRef<Dialog::VisitorChatFrame> window;
        wxTextCtrl* input = nullptr;
        int planned = 0;
        int sent = 0;
        long lastSentAt = 0;  // or when the chat was picked up
        long nextSendAt = 0;
        size_t linesSeen = 0;
        long lastLineAt = 0;  // when the latest visitor line was seen
        Ending ending = Ending::None;
        long endAt = 0;
    };

    // Decides how the chat ends; the window closes once the operator's wait has passed.
    void endChat(Chat& chat, Ending how, long now) {
        chat.ending = how;
        chat.endAt = std::max(now, chat.lastLineAt + m_closeWaitMs);
    }
    void perform(Chat& chat) {
        if (chat.ending == Ending::CloseChat)
            chat.window->close_chat();  // "Exit and Close Chat"
        else
            chat.window->Close();  // the visitor has gone: the window is closed
    }

    void pickUpWaitingChats(long now) {
        wxGrid* grid = m_frame->chattingGrid();
        for (int row = 0; row < grid->GetNumberRows(); ++row) {
            const wxString id = grid->GetCellValue(row, 0);
            if (!grid->GetCellValue(row, 4).empty() || id.empty() || !m_taken.insert(id).second)
                continue;
            m_frame->startChat(row);
            ++chatsTaken;
            Chat chat;
            chat.id = id;
            chat.window = m_frame->chatWindow(id);
            if (!chat.window) {
                ++windowsMissing;
                continue;
            }
            chat.input =
                dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName("ID_TEXTCTRL1", chat.window));
            chat.planned = std::uniform_int_distribution<int>(kFewestLines, kMostLines)(m_random);
            chat.lastSentAt = now;
            chat.nextSendAt = now;
            chat.lastLineAt = now;
            m_chats.push_back(chat);
        }
    }

    // One look at a chat; false once it is over.
    bool work(Chat& chat, long now) {
        if (!chat.window) {
            ++windowsMissing;
            return false;
        }
        if (chat.ending != Ending::None) {
            if (now < chat.endAt)
                return true;
            perform(chat);
            return false;
        }
        const std::vector<int> numbers =
            Tavoro::Test::visitorLineNumbers(chat.window->transcript_html());
        if (numbers.size() > chat.linesSeen) {
            chat.linesSeen = numbers.size();
            chat.lastLineAt = now;
        }
        // The request is line 1; each line sent is answered until the visitor leaves.
        const size_t expected = 1 + static_cast<size_t>(std::min(chat.sent, kLeaveAfter));
        const bool answered = numbers.size() >= expected;
        const bool overdue = now - chat.lastSentAt > kAnswerLimitMs;
        if (chat.window->is_chat_ended()) {
            ++chatsLeftByVisitor;
            account(chat, numbers, true, "the visitor left");
            endChat(chat, Ending::CloseWindow, now);
            return true;
        }
        if (!answered || chat.sent >= kLeaveAfter) {
            // Waiting for the answer, or for the visitor to leave.
            if (!overdue)
                return true;
            account(chat, numbers, true, answered ? "no leave notice" : "an answer overdue");
            if (answered) {
                ++linesLost;  // the answers are all there; the leave notice never came
                problems.push_back("chat " + chat.id.ToStdString() + ": no leave notice");
            }
            endChat(chat, Ending::CloseChat, now);
            return true;
        }
        if (chat.sent >= chat.planned) {
            ++chatsClosedByOperator;
            account(chat, numbers, true, "closed by the operator");
            endChat(chat, Ending::CloseChat, now);
            return true;
        }
        if (now >= chat.nextSendAt && chat.input) {
            chat.input->SetValue(wxString::Format("question %d", chat.sent + 1));
            chat.window->send_line();
            ++chat.sent;
            ++linesSent;
            chat.lastSentAt = now;
            chat.nextSendAt = now + std::uniform_int_distribution<int>(500, 1000)(m_random);
        }
        return true;
    }

    // Counts a chat's visitor lines: each must be the next number; with complete, the lines
    // the visitor owed and never sent count as lost.
    void account(const Chat& chat, const std::vector<int>& numbers, bool complete,
                 const char* how) {
        linesReceived += static_cast<long>(numbers.size());
        long wrong = 0, missing = 0;
        for (size_t i = 0; i < numbers.size(); ++i) {
            if (numbers[i] != static_cast<int>(i) + 1)
                ++wrong;
        }
        const size_t expected = 1 + static_cast<size_t>(std::min(chat.sent, kLeaveAfter));
        if (complete && numbers.size() < expected)
            missing = static_cast<long>(expected - numbers.size());
        linesOutOfOrder += wrong;
        linesLost += missing;
        if (wrong == 0 && missing == 0)
            return;
        std::string seen;
        for (int n : numbers)
            seen += (seen.empty() ? "" : ",") + std::to_string(n);
        problems.push_back("chat " + chat.id.ToStdString() + " (" + how +
                           "): " + std::to_string(chat.sent) + " lines sent, visitor lines [" +
                           seen + "], " + std::to_string(expected) + " expected");
    }

    TavoroClientFrame* m_frame;
    const long m_closeWaitMs;
    std::vector<Chat> m_chats;
    std::set<wxString> m_taken;
    std::mt19937 m_random{7};
};

class SoakTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UiPrompts::messageBox = [this](wxWindow*, const wxString& text, const wxString& caption,
                                       long) {
            prompts.push_back(caption + ": " + text);
            return wxOK;
        };
        // Chat requests are counted instead of shown on a desktop the test run does not have.
        Notifications::showNotice = [this](const Notifications::Notice&) { ++notices; };
        Notifications::playSound = [](const wxString&) {};
    }
    void TearDown() override {
        if (weak) {
            weak->Destroy();
            EXPECT_TRUE(waitFor([&] { return !weak; }));
        }
        UiPrompts::messageBox = nullptr;
    }
    // Connects (or reconnects) to the server on port and waits until the visitor list is shown.
    bool connectTo(int port) {
        getSettings().setInt(SETTING_CLIENT_PORT_NUMBER, port);
        listShown = false;
        if (frame->session().hasConnection() || frame->session().isLoggedIn())
            frame->reconnect();
        else
            frame->connectToServer();
        return waitFor([&] { return listShown; }, 120000);
    }

    Tavoro::Test::TempDir dir;
    TavoroClientFrame* frame = nullptr;
    wxWeakRef<TavoroClientFrame> weak;
    bool listShown = false;
    std::vector<wxString> prompts;
    long notices = 0;
};

TEST_F(SoakTest, AnOperatorAtWorkOnABusyServer) {
    const char* seconds = std::getenv("TAVORO_SOAK_SECONDS");
    if (!seconds)
        GTEST_SKIP() << "set TAVORO_SOAK_SECONDS to run the soak (scripts/soak.sh does)";
    const long totalMs = std::max(30L, std::atol(seconds)) * 1000;
    // An idle phase of at most a minute first, then the busy rest.
    const long idleMs = std::min(60000L, std::max(5000L, totalMs / 10));
    const std::string visitors = envOr("TAVORO_SOAK_VISITORS", "3000");
    const std::string rate = envOr("TAVORO_SOAK_EVENT_RATE", "200");
    const std::string chatInterval = envOr("TAVORO_SOAK_CHAT_INTERVAL", "10");
    wxStopWatch runTime;

    // Idle: the same visitors from a server without events or chats.
    DemoServerProcess quiet(TAVORO_DEMO_SERVER);
    quiet.addArgs(
        {"--visitors", visitors, "--event-rate", "0", "--chat-interval", "0", "--quiet-events"});
    ASSERT_TRUE(quiet.start()) << quiet.error();
    Tavoro::Test::useSettingsFile(
        dir, "[General]\nServerDNSIP=127.0.0.1\nClientPortNumber=" + std::to_string(quiet.port()) +
                 "\nUsername=demo\nPassword=demo\n");
    frame = new TavoroClientFrame(nullptr, wxID_ANY);
    weak = frame;
    frame->Show();
    frame->session().sentTextObserver = [this](const wxString& text) {
        if (text == "@STARTEVENTS")
            listShown = true;
    };
    ASSERT_TRUE(connectTo(quiet.port())) << "no visitor list from the quiet server";
    runLoop(1000, 100, [] { return true; });  // let the first layout and replies settle
    double cpuAt = cpuSeconds();
    wxStopWatch phase;
    runLoop(idleMs, 1000, [] { return true; });
    const double idleCpu = 100.0 * (cpuSeconds() - cpuAt) / (phase.Time() / 1000.0);
    const long idleRanMs = phase.Time();

    // Busy: events, chat requests, visitors answering and leaving.
    DemoServerProcess busy(TAVORO_DEMO_SERVER);
    busy.addArgs({"--visitors", visitors, "--event-rate", rate, "--chat-interval", chatInterval,
                  "--chat-leave-after", std::to_string(kLeaveAfter), "--numbered-lines",
                  "--quiet-events"});
    ASSERT_TRUE(busy.start()) << busy.error();
    ASSERT_TRUE(connectTo(busy.port())) << "no visitor list from the busy server";
    quiet.stop();
    const long rssStart = Tavoro::Test::residentKb(true);
    long rssPeak = rssStart;

    std::vector<wxString> stateReplies;
    std::vector<wxString> windowKeys;
    frame->session().unhandledMessageObserver = [&](const Messages::TavoroMessage& m) {
        if (m.command() != "@STATE")
            return;
        stateReplies.push_back(m.data());
        windowKeys.clear();
        for (const auto& v : frame->session().visitors())
            windowKeys.push_back(v.visitorKey());
    };

    const long closeWaitMs = std::atol(envOr("TAVORO_SOAK_CLOSE_WAIT_MS", "0").c_str());
    Operator op(frame, closeWaitMs);
    StallProbe probe;
    const unsigned long eventsBefore = frame->session().eventsHandled();
    const long busyMs = std::max(10000L, totalMs - runTime.Time());
    int ticks = 0;
    cpuAt = cpuSeconds();
    phase.Start();
    long stallSeen = 100;  // stalls from this long on are listed with their time
    std::vector<std::string> stalls;
    runLoop(busyMs, 100, [&] {
        if (probe.longestMs() > stallSeen) {
            stallSeen = probe.longestMs();
            stalls.push_back(std::to_string(stallSeen) + " ms at " +
                             std::to_string(phase.Time() / 1000) + " s");
        }
        op.tick(phase.Time());
        if (++ticks % 10 == 0)
            rssPeak = std::max(rssPeak, Tavoro::Test::residentKb(false));
        return busy.running();
    });
    const double busyCpu = 100.0 * (cpuSeconds() - cpuAt) / (phase.Time() / 1000.0);
    const long busyRanMs = phase.Time();
    const unsigned long events = frame->session().eventsHandled() - eventsBefore;
    probe.stop();
    EXPECT_TRUE(busy.running()) << "the demo server ended during the run";

    // The end: open chats closed, then the window's visitors against the server's account.
    EXPECT_TRUE(op.closeAll(phase.Time())) << "chat windows stayed open";
    frame->sendToServer("@STATE");
    const bool stateCame = waitFor([&] { return !stateReplies.empty(); }, 60000);
    std::vector<wxString> serverKeys;
    if (stateCame) {
        std::istringstream in(stateReplies[0].ToStdString());
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("visitor\t", 0) == 0)
                serverKeys.push_back(wxString(line.substr(line.rfind('\t') + 1)));
        }
    }
    const bool agree = stateCame && windowKeys == serverKeys;
    const long rssEnd = Tavoro::Test::residentKb(true);
    rssPeak = std::max(rssPeak, rssEnd);
    frame->session().unhandledMessageObserver = nullptr;
    frame->session().sentTextObserver = nullptr;

    // The settings store writes its own notices to standard output without a line end.
    std::printf(
        "\n[soak] run time %.0f s: idle %.0f s, busy %.0f s (%s visitors, %s events/s "
        "asked, a chat request every %s s, chat windows closed %ld ms after their last line)\n",
        runTime.Time() / 1000.0, idleRanMs / 1000.0, busyRanMs / 1000.0, visitors.c_str(),
        rate.c_str(), chatInterval.c_str(), closeWaitMs);
    std::printf("[soak] events handled %lu (%.1f/s)\n", events, events * 1000.0 / busyRanMs);
    std::printf(
        "[soak] chats taken %d (closed by the operator %d, left by the visitor %d); "
        "chat lines sent %ld, visitor lines received %ld; lost %ld, out of order %ld\n",
        op.chatsTaken, op.chatsClosedByOperator, op.chatsLeftByVisitor, op.linesSent,
        op.linesReceived, op.linesLost, op.linesOutOfOrder);
    std::printf("[soak] visitors: window %zu, server %zu, %s\n", windowKeys.size(),
                serverKeys.size(), agree ? "the same" : "DIFFERENT");
    std::printf("[soak] RSS kB: start %ld, peak %ld, end %ld\n", rssStart, rssPeak, rssEnd);
    std::printf("[soak] CPU, %% of one core: idle %.1f, busy %.1f\n", idleCpu, busyCpu);
    std::printf("[soak] longest GUI stall %ld ms (%lu pings, mean wait %.1f ms)\n",
                probe.longestMs(), probe.count(), probe.meanMs());
    for (const std::string& stall : stalls)
        std::printf("[soak] a new longest GUI stall: %s into the busy phase\n", stall.c_str());
    for (const std::string& problem : op.problems)
        std::printf("[soak] %s\n", problem.c_str());
    std::printf("[soak] chat notices %ld, message boxes %zu\n", notices, prompts.size());
    {
        std::ifstream load("/proc/loadavg");
        std::string oneMinute;
        load >> oneMinute;
        std::printf("[soak] machine load average (1 min) at the end: %s\n", oneMinute.c_str());
    }
    std::printf(
        "[soak-result] lost=%ld out_of_order=%ld windows_missing=%d agree=%d stall_ms=%ld "
        "rss_start_kb=%ld rss_end_kb=%ld chats=%d events=%lu\n",
        op.linesLost, op.linesOutOfOrder, op.windowsMissing, agree ? 1 : 0, probe.longestMs(),
        rssStart, rssEnd, op.chatsTaken, events);
    std::fflush(stdout);

    EXPECT_EQ(op.linesLost, 0);
    EXPECT_EQ(op.linesOutOfOrder, 0);
    EXPECT_EQ(op.windowsMissing, 0);
    EXPECT_TRUE(agree) << "the window lost or invented visitors";
    EXPECT_GT(op.chatsTaken, 0);
    for (const wxString& p : prompts)
        ADD_FAILURE() << "unexpected message box: " << p;
}

}  // namespace
