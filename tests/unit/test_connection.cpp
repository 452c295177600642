#include <gtest/gtest.h>

#include <wx/init.h>
#include <wx/log.h>
#include <wx/socket.h>
#include <wx/utils.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "messages/LoginMessage.h"
#include "net/ConnectionThread.h"
#include "net/FrameCutter.h"
#include "net/NetTrace.h"
#include "settings/LoginSettings.h"
#include "settings/TavoroSettings.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"
#include "support/WaitUntil.h"

using Tavoro::ConnectionThread;
using Tavoro::ReceivedQueue;
using Tavoro::Net::FrameCutter;
using Tavoro::Test::LoopbackServer;

namespace {

std::vector<std::string> cut(FrameCutter& cutter, const std::string& bytes) {
    std::vector<std::string> frames;
    cutter.feed(bytes.data(), bytes.size(), [&](std::string&& f) { frames.push_back(f); });
    return frames;
}

using Frames = std::vector<std::string>;

TEST(FrameCutter, CutsAtNulAcrossReads) {
    struct Case {
        std::vector<std::string> reads;
        Frames frames;
        const char* what;
    };
    using namespace std::string_literals;
    const Case cases[] = {
        {{"A\0B\0"s}, {"A", "B"}, "two frames in one read"},
        {{"AB", "C\0"s}, {"ABC"}, "frame split over two reads"},
        {{"ABC", "\0"s}, {"ABC"}, "NUL alone at the start of the next read"},
        {{"\0\0\0"s}, {}, "consecutive NULs with nothing pending"},
        {{"A\0\0B\0"s}, {"A", "B"}, "empty frame between two frames"},
        {{"A", "B", "C", "\0D"s, "\0"s}, {"ABC", "D"}, "pending grows over many reads"},
        {{"\x80\xff\0"s}, {"\x80\xff"}, "high bytes pass unchanged"},
        {{"tail"}, {}, "no NUL yet: nothing delivered"},
    };
    for (const Case& c : cases) {
        FrameCutter cutter;
        Frames got;
        for (const std::string& r : c.reads) {
            for (auto& f : cut(cutter, r))
                got.push_back(f);
        }
        EXPECT_EQ(got, c.frames) << c.what;
    }
}

TEST(FrameCutter, OversizeFrameIsDroppedAndStreamResynchronises) {
    using namespace std::string_literals;
    FrameCutter cutter(8);
    EXPECT_EQ(cut(cutter, "ok\0"s), Frames{"ok"});
    // Nine bytes without a NUL exceed the cap: dropped, nothing kept in memory.
    EXPECT_TRUE(cut(cutter, "123456789").empty());
    EXPECT_EQ(cutter.pendingSize(), 0u);
    EXPECT_EQ(cutter.droppedFrames(), 1u);
    // The rest of the oversize frame up to its NUL is skipped too.
    EXPECT_TRUE(cut(cutter, "more bytes").empty());
    EXPECT_EQ(cutter.pendingSize(), 0u);
    EXPECT_EQ(cut(cutter, "end\0next\0"s), Frames{"next"});
    // An oversize frame completed within one read is dropped without losing its neighbour.
    EXPECT_EQ(cut(cutter, "a\0"s + std::string(20, 'x') + "\0b\0"s), (Frames{"a", "b"}));
    // A frame of exactly the cap still passes.
    EXPECT_EQ(cut(cutter, "12345678\0"s), Frames{"12345678"});
}

TEST(FrameCutter, DefaultCapIsSixteenMebibytes) {
    const size_t cap = 16 * 1024 * 1024;
    const std::string atCap(cap, 'x');
    const std::string overCap(cap + 1, 'y');
    struct Case {
        const std::string* frame;
        size_t piece;  // bytes per read
        bool passes;
        const char* what;
    };
    const Case cases[] = {
        {&atCap, cap + 1, true, "exactly 16 MiB in one read"},
        {&atCap, 1024 * 1024, true, "exactly 16 MiB over many reads"},
        {&overCap, cap + 2, false, "one byte more in one read"},
        {&overCap, 1024 * 1024, false, "one byte more over many reads"},
    };
    for (const Case& c : cases) {
        FrameCutter cutter;
        std::string bytes = *c.frame;
        bytes.push_back('\0');
        bytes += "next";
        bytes.push_back('\0');
        Frames got;
        for (size_t at = 0; at < bytes.size(); at += c.piece) {
            for (auto& f : cut(cutter, bytes.substr(at, c.piece)))
                got.push_back(std::move(f));
        }
        ASSERT_EQ(got.size(), c.passes ? 2u : 1u) << c.what;
        if (c.passes) {
            EXPECT_TRUE(got[0] == *c.frame) << c.what;
        }
        EXPECT_EQ(got.back(), "next") << c.what;
        EXPECT_EQ(cutter.droppedFrames(), c.passes ? 0u : 1u) << c.what;
    }
}

// Counts the wake-ups a connection's queue posts, from whichever thread posts them.
class WakeCounter : public wxEvtHandler {
  public:
    void QueueEvent(wxEvent* event) override {
        if (event->GetEventType() == Tavoro::EVT_CONNECTION_READY)
            ++m_wakes;
        delete event;
    }
    int wakes() const { return m_wakes.load(); }

  private:
    std::atomic<int> m_wakes{0};
};

// What a connection handed over so far, taken from its queue as the window takes it.
class Received {
  public:
    explicit Received(wxEvtHandler* owner, int serial = 42)
        : queue(std::make_shared<ReceivedQueue>(owner, serial)) {}
    std::vector<wxString> data() {
        take();
        std::vector<wxString> out;
        for (const auto& item : m_items) {
            if (!item.lost)
                out.push_back(item.text);
        }
        return out;
    }
    size_t lost() {
        take();
        size_t n = 0;
        for (const auto& item : m_items)
            n += item.lost;
        return n;
    }
    size_t size() {
        take();
        return m_items.size();
    }
    std::shared_ptr<ReceivedQueue> queue;

  private:
    void take() { queue->takeAll(m_items); }
    std::vector<ReceivedQueue::Item> m_items;
};

using Tavoro::Test::waitUntil;

wxSocketClient* connectTo(LoopbackServer& server) {
    auto* socket = new wxSocketClient(wxSOCKET_BLOCK);
    wxIPV4address address;
    address.Hostname("127.0.0.1");
    address.Service(server.port());
    if (!socket->Connect(address, true) || !server.accept()) {
        socket->Destroy();
        return nullptr;
    }
    return socket;
}

class ConnectionThreadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        wxSocketClient* socket = connectTo(server);
        ASSERT_TRUE(socket);
        thread = std::make_unique<ConnectionThread>(socket, received.queue);
        ASSERT_TRUE(thread->start());
    }

    LoopbackServer server;
    WakeCounter owner;
    Received received{&owner};
    std::unique_ptr<ConnectionThread> thread;
};

TEST_F(ConnectionThreadTest, DeliversFramesInOrderAsLatin1Text) {
    using namespace std::string_literals;
    ASSERT_TRUE(server.send("@HELLO:A\0@MSG:B"s));
    ASSERT_TRUE(waitUntil([&] { return received.data().size() == 1; }));
    ASSERT_TRUE(server.send("C\0\0\0"s + "x\xe9\0"s));
    ASSERT_TRUE(waitUntil([&] { return received.data().size() == 3; }));
    const auto data = received.data();
    EXPECT_EQ(data[0], "@HELLO:A");
    EXPECT_EQ(data[1], "@MSG:BC");
    EXPECT_EQ(data[2], wxString(L"x\u00e9")) << "a byte above 0x7F is one character";
}

TEST_F(ConnectionThreadTest, ABurstOfFramesWakesTheOwnerOncePerBatch) {
    // Two thousand frames in one write: the owner is woken per batch read, not per frame, and
    // not again while what it was woken for still waits untaken.
    std::string burst;
    for (int i = 0; i < 2000; ++i) {
        burst += "@EV:" + std::to_string(i);
        burst.push_back('\0');
    }
    ASSERT_TRUE(server.send(burst));
    ASSERT_TRUE(waitUntil([&] { return received.data().size() == 2000; }));
    const auto data = received.data();
    EXPECT_EQ(data.front(), "@EV:0");
    EXPECT_EQ(data.back(), "@EV:1999");
    EXPECT_LT(owner.wakes(), 20) << "one wake-up per frame";

    // Frames read while nothing is taken add to the batch without another wake-up.
    const int wakes = owner.wakes();
    Received untaken(&owner, 7);
    std::vector<wxString> one{"a"}, two{"b"};
    untaken.queue->push(one, 0);
    untaken.queue->push(two, 0);
    untaken.queue->pushLoss(0);
    EXPECT_EQ(owner.wakes(), wakes + 1);
    EXPECT_EQ(untaken.data(), (std::vector<wxString>{"a", "b"}));
    EXPECT_EQ(untaken.lost(), 1u);
}

TEST_F(ConnectionThreadTest, PlainSendWritesUtf8AndNul) {
    EXPECT_TRUE(thread->send(wxString(L"@LOGIN:\u00e9")));
    EXPECT_TRUE(thread->send("@GETDS"));
    const std::string got = server.readFrames(2);
    EXPECT_EQ(got, std::string("@LOGIN:\xc3\xa9\0@GETDS\0", 17));
}

TEST_F(ConnectionThreadTest, LargeFrameIsWrittenCompletely) {
    const wxString big = "@SENDTO:k:" + wxString('y', 300000);
    EXPECT_TRUE(thread->send(big));
    const std::string got = server.readFrames(1, 10000);
    ASSERT_EQ(got.size(), big.length() + 1);
    EXPECT_EQ(got.back(), '\0');
}

TEST_F(ConnectionThreadTest, OversizeFrameIsDroppedAndNextFrameArrives) {
    using namespace std::string_literals;
    std::string flood(FrameCutter::kDefaultMaxFrame + 4096, 'z');
    ASSERT_TRUE(server.send(flood));
    ASSERT_TRUE(server.send("\0@MSG:after\0"s));
    ASSERT_TRUE(waitUntil([&] { return received.data().size() == 1; }, 20000));
    EXPECT_EQ(received.data()[0], "@MSG:after");
}

TEST_F(ConnectionThreadTest, PeerCloseIsReportedOnceAfterTheFramesBeforeIt) {
    using namespace std::string_literals;
    ASSERT_TRUE(server.send("@MSG:last\0"s));
    server.closePeer();
    ASSERT_TRUE(waitUntil([&] { return received.lost() == 1; }));
    EXPECT_EQ(received.data(), std::vector<wxString>{"@MSG:last"});
    // Writing to the closed peer is refused quietly (no SIGPIPE, no hang).
    EXPECT_FALSE(thread->send("@GETDS"));
    // The thread idles without reporting again until it is stopped.
    thread->send("@GETDS");
    EXPECT_FALSE(waitUntil([&] { return received.lost() > 1; }, 300));
}

TEST_F(ConnectionThreadTest, StopJoinsTheThreadAndNothingArrivesAfterIt) {
    thread->stop();
    using namespace std::string_literals;
    server.send("@MSG:late\0"s);
    EXPECT_FALSE(waitUntil([&] { return received.size() > 0; }, 200));
    EXPECT_FALSE(thread->send("@GETDS")) << "a stopped connection takes no more frames";
    thread.reset();  // a second stop, from the destructor, is harmless
    EXPECT_EQ(owner.wakes(), 0);
}

// ---------------------------------------------------------------- the "net" trace

// The login frame of an operator with the given password, as the client sends it.
wxString loginText(const wxString& password) {
    Tavoro::Test::TempDir dir;
    Tavoro::TavoroSettings settings(dir.file("settings.ini"));
    settings.setString(Tavoro::SETTING_AUTHENTICATION_STRING, "AUTH");
    settings.setString(Tavoro::SETTING_OPERATOR_NAME, "Ann Operator");
    settings.setString(Tavoro::SETTING_USERNAME, "ann");
    settings.setString(Tavoro::SETTING_PASSWORD, password);
    return Tavoro::Messages::LoginMessage(loginDetailsOf(settings)).toText();
}

TEST(NetTrace, MaskSecretsHidesPasswordAndSessionKeyOnly) {
    using Tavoro::maskSecrets;
    const wxString masked = maskSecrets("->" + loginText(L"pa ss\u00e9:1"));
    EXPECT_FALSE(masked.Contains("pa ss")) << masked;
    EXPECT_TRUE(masked.StartsWith("->@LOGIN:AUTH\tAnn Operator\t")) << masked;
    EXPECT_TRUE(masked.EndsWith("\ten\tann\t********")) << masked;

    struct Case {
        const char* what;
        wxString text;
        wxString masked;
    };
    const wxString session12 = "@SESSION:app\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12";
    const Case cases[] = {
        {"encrypted echo, lower-case command", "*>@login:a\tb\tc\td\te\tf\tg\th\tpw",
         "*>@login:a\tb\tc\td\te\tf\tg\th\t********"},
        {"a field after the password stays", "@LOGIN:a\tb\tc\td\te\tf\tg\th\tpw\tnext",
         "@LOGIN:a\tb\tc\td\te\tf\tg\th\t********\tnext"},
        {"empty password", "@LOGIN:a\tb\tc\td\te\tf\tg\th\t", "@LOGIN:a\tb\tc\td\te\tf\tg\th\t"},
        {"too few fields: no password", "@LOGIN:a\tb\tc\td\te\tf\tg\th",
         "@LOGIN:a\tb\tc\td\te\tf\tg\th"},
        {"session key", session12 + "\tk3y", session12 + "\t********"},
        {"session data without a key", session12, session12},
        {"encrypted session data (no TABs)", "@SESSION:QUJDREVG+/==", "@SESSION:QUJDREVG+/=="},
        {"two frames in one text",
         "@LOGIN:a\tb\tc\td\te\tf\tg\th\tpw1 @LOGIN:a\tb\tc\td\te\tf\tg\th\tpw2",
         "@LOGIN:a\tb\tc\td\te\tf\tg\th\t********\tb\tc\td\te\tf\tg\th\t********"},
        {"other frames unchanged", "*>@SENDTO:k:\tpassword\t", "*>@SENDTO:k:\tpassword\t"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(maskSecrets(c.text), c.masked) << c.what;
}

TEST(NetTrace, ListNamesTheMaskLikeTheToolkit) {
    using Tavoro::traceListNames;
    for (const char* list : {"net", "gui,net", "net;socket", "a:net:b"})
        EXPECT_TRUE(traceListNames(list, "net")) << list;
    for (const char* list : {"", "network", "gui", "NET", "gui, net"})
        EXPECT_FALSE(traceListNames(list, "net")) << list;
}

// Keeps every log record the active target receives, and restores the log state on exit.
class TraceCapture : public wxLog {
  public:
    TraceCapture() : m_previous(wxLog::SetActiveTarget(this)), m_level(wxLog::GetLogLevel()) {
        wxString value;
        m_hadTrace = wxGetEnv("WXTRACE", &value);
        m_trace = value;
    }
    ~TraceCapture() override {
        wxLog::SetActiveTarget(m_previous);
        wxLog::SetLogLevel(m_level);
        if (m_hadTrace)
            wxSetEnv("WXTRACE", m_trace);
        else
            wxUnsetEnv("WXTRACE");
    }
    std::vector<wxString> lines;

  protected:
    void DoLogRecord(wxLogLevel level, const wxString& msg, const wxLogRecordInfo&) override {
        if (level == wxLOG_Trace)
            lines.push_back(msg);
    }

  private:
    wxLog* m_previous;
    wxLogLevel m_level;
    bool m_hadTrace = false;
    wxString m_trace;
};

TEST(NetTrace, TracesInAReleaseBuildOnlyWhenWxTraceNamesNet) {
    TraceCapture capture;
    // What a program built with NDEBUG does at start-up.
    wxLog::SetLogLevel(wxLOG_Info);
    wxUnsetEnv("WXTRACE");
    Tavoro::traceNet("off");
    wxSetEnv("WXTRACE", "gui");
    Tavoro::traceNet("other mask");
    wxSetEnv("WXTRACE", "gui,net");
    Tavoro::traceNet("on");
    Tavoro::traceNet("->" + loginText("hunter2"));
    ASSERT_EQ(capture.lines.size(), 2u);
    EXPECT_TRUE(capture.lines[0].EndsWith("on")) << capture.lines[0];
    EXPECT_TRUE(capture.lines[1].Contains("->@LOGIN:")) << capture.lines[1];
    EXPECT_FALSE(capture.lines[1].Contains("hunter2")) << capture.lines[1];
}

TEST_F(ConnectionThreadTest, TraceOfALoginHidesThePassword) {
    TraceCapture capture;
    wxSetEnv("WXTRACE", "net");
    const wxString login = loginText("hunter2");
    ASSERT_TRUE(thread->send(login));
    const std::string sent = server.readFrames(1);
    EXPECT_NE(sent.find("\tann\thunter2"), std::string::npos) << "the server gets the password";
    thread->setSessionKey("session-key");
    ASSERT_TRUE(thread->send(login));
    EXPECT_GE(server.readFrames(2).size(), sent.size() + 2);

    // The thread traces the frames it writes; its lines reach the log when the main thread
    // flushes what other threads logged.
    auto echoes = [&] {
        std::vector<wxString> found;
        for (const wxString& line : capture.lines) {
            if (line.Contains(">@LOGIN:"))
                found.push_back(line);
        }
        return found;
    };
    ASSERT_TRUE(waitUntil([&] {
        wxLog::FlushActive();
        return echoes().size() == 2;
    }));
    EXPECT_TRUE(echoes()[0].Contains("->@LOGIN:")) << echoes()[0];
    EXPECT_TRUE(echoes()[1].Contains("*>@LOGIN:")) << echoes()[1];
    for (const wxString& line : capture.lines)
        EXPECT_FALSE(line.Contains("hunter2")) << line;
}

}  // namespace
