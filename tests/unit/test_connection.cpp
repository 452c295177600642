#include <gtest/gtest.h>

#include <wx/init.h>
#include <wx/socket.h>
#include <wx/utils.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "net/ConnectionThread.h"
#include "net/FrameCutter.h"
#include "support/LoopbackServer.h"
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

}  // namespace
