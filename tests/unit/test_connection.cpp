#include <gtest/gtest.h>

#include <wx/init.h>
#include <wx/log.h>
#include <wx/socket.h>
#include <wx/utils.h>

#include <chrono>
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

// wxWidgets and its sockets for the connection tests.
class WxEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        wxInitialize();
        wxSocketBase::Initialize();
    }
    void TearDown() override {
        wxSocketBase::Shutdown();
        wxUninitialize();
    }
};
const auto* const kWxEnvironment = ::testing::AddGlobalTestEnvironment(new WxEnvironment);

// Records what the connection thread posts, from whichever thread posts it.
class Recorder : public wxEvtHandler {
  public:
    struct Event {
        wxEventType type;
        wxString text;
        int serial;
    };
    void QueueEvent(wxEvent* event) override {
        auto* te = static_cast<wxThreadEvent*>(event);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.push_back({te->GetEventType(), te->GetString(), te->GetInt()});
        delete event;
    }
    std::vector<wxString> data() {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<wxString> out;
        for (const Event& e : m_events) {
            if (e.type == Tavoro::EVT_SERVER_DATA)
                out.push_back(e.text);
        }
        return out;
    }
    size_t count(wxEventType type) {
        std::lock_guard<std::mutex> lock(m_mutex);
        size_t n = 0;
        for (const Event& e : m_events)
            n += (e.type == type);
        return n;
    }
    std::vector<Event> all() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_events;
    }

  private:
    std::mutex m_mutex;
    std::vector<Event> m_events;
};

using Tavoro::Test::waitUntil;

class ConnectionThreadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto* socket = new wxSocketClient(wxSOCKET_BLOCK);
        wxIPV4address address;
        address.Hostname("127.0.0.1");
        address.Service(server.port());
        ASSERT_TRUE(socket->Connect(address, true));
        ASSERT_TRUE(server.accept());
        thread = new ConnectionThread(socket, &recorder, 42);
        ASSERT_EQ(thread->Run(), wxTHREAD_NO_ERROR);
    }
    void TearDown() override {
        if (thread)
            thread->stop();
        // The thread deletes itself; wait for it so no thread outlives the test.
        EXPECT_TRUE(waitUntil([] { return ConnectionThread::liveCount() == 0; }));
    }

    LoopbackServer server;
    Recorder recorder;
    ConnectionThread* thread = nullptr;
};

TEST_F(ConnectionThreadTest, DeliversFramesInOrderAsLatin1Text) {
    using namespace std::string_literals;
    ASSERT_TRUE(server.send("@HELLO:A\0@MSG:B"s));
    ASSERT_TRUE(waitUntil([&] { return recorder.data().size() == 1; }));
    ASSERT_TRUE(server.send("C\0\0\0"s + "x\xe9\0"s));
    ASSERT_TRUE(waitUntil([&] { return recorder.data().size() == 3; }));
    const auto data = recorder.data();
    EXPECT_EQ(data[0], "@HELLO:A");
    EXPECT_EQ(data[1], "@MSG:BC");
    EXPECT_EQ(data[2], wxString(L"x\u00e9")) << "a byte above 0x7F is one character";
    for (const auto& e : recorder.all())
        EXPECT_EQ(e.serial, 42);
}

TEST_F(ConnectionThreadTest, PlainSendWritesUtf8AndNul) {
    EXPECT_TRUE(thread->send(wxString(L"@LOGIN:\u00e9")));
    EXPECT_TRUE(thread->send("@GETDS"));
    const std::string got = server.readFrames(2);
    EXPECT_EQ(got, std::string("@LOGIN:\xc3\xa9\0@GETDS\0", 17));
    EXPECT_GE(recorder.count(Tavoro::EVT_CONNECTION_STATUS), 2u) << "the -> echoes";
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
    ASSERT_TRUE(waitUntil([&] { return recorder.data().size() == 1; }, 20000));
    EXPECT_EQ(recorder.data()[0], "@MSG:after");
}

TEST_F(ConnectionThreadTest, PeerCloseIsReportedOnce) {
    server.closePeer();
    ASSERT_TRUE(waitUntil([&] { return recorder.count(Tavoro::EVT_CONNECTION_LOST) == 1; }));
    // The thread keeps idling without spinning until it is stopped; no second report.
    wxMilliSleep(3 * ConnectionThread::kReadWaitMs);
    EXPECT_EQ(recorder.count(Tavoro::EVT_CONNECTION_LOST), 1u);
    // Writing to the closed peer fails quietly (no SIGPIPE, no hang); the second write at the
    // latest sees the reset.
    thread->send("@GETDS");
    EXPECT_TRUE(waitUntil([&] { return !thread->send("@GETDS"); }));
}

TEST_F(ConnectionThreadTest, NothingIsPostedAfterStop) {
    thread->stop();
    thread = nullptr;
    ASSERT_TRUE(waitUntil([] { return ConnectionThread::liveCount() == 0; }));
    const size_t before = recorder.all().size();
    using namespace std::string_literals;
    server.send("@MSG:late\0"s);
    wxMilliSleep(50);
    EXPECT_EQ(recorder.all().size(), before);
    EXPECT_EQ(recorder.count(Tavoro::EVT_CONNECTION_ENDED), 0u)
        << "a stopped connection no longer reports to its old owner";
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
    EXPECT_FALSE(server.readFrames(1).empty());
    ASSERT_TRUE(waitUntil([&] { return recorder.count(Tavoro::EVT_CONNECTION_STATUS) >= 2; }));

    // The window traces each status the thread posts.
    for (const auto& e : recorder.all()) {
        if (e.type == Tavoro::EVT_CONNECTION_STATUS)
            Tavoro::traceNet(e.text);
    }
    ASSERT_EQ(capture.lines.size(), 2u);
    EXPECT_TRUE(capture.lines[0].Contains("->@LOGIN:")) << capture.lines[0];
    EXPECT_TRUE(capture.lines[1].Contains("*>@LOGIN:")) << capture.lines[1];
    for (const auto& e : recorder.all())
        EXPECT_FALSE(e.text.Contains("hunter2")) << e.text;
    for (const wxString& line : capture.lines)
        EXPECT_FALSE(line.Contains("hunter2")) << line;
}

}  // namespace
