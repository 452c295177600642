// The connection thread against a peer that misbehaves on the sending side: a server that
// stops reading must not leave the window waiting on every later send.
#include <gtest/gtest.h>

#include <wx/init.h>
#include <wx/socket.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "net/ConnectionThread.h"
#include "support/LoopbackServer.h"
#include "support/WaitUntil.h"

using Tavoro::ConnectionThread;
using Tavoro::Test::LoopbackServer;

namespace {

class WxSockets : public ::testing::Environment {
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
const auto* const kWxSockets = ::testing::AddGlobalTestEnvironment(new WxSockets);

// Counts the events the connection thread posts, by type, from whichever thread posts them.
class EventCounter : public wxEvtHandler {
  public:
    void QueueEvent(wxEvent* event) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (event->GetEventType() == Tavoro::EVT_CONNECTION_LOST)
            ++m_lost;
        delete event;
    }
    int lost() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_lost;
    }

  private:
    std::mutex m_mutex;
    int m_lost = 0;
};

using Tavoro::Test::waitUntil;

TEST(ConnectionWrites, AServerThatStopsReadingEndsTheConnection) {
    LoopbackServer server;
    EventCounter events;
    auto* socket = new wxSocketClient(wxSOCKET_BLOCK);
    wxIPV4address address;
    address.Hostname("127.0.0.1");
    address.Service(server.port());
    ASSERT_TRUE(socket->Connect(address, true));
    ASSERT_TRUE(server.accept());
    // A write that cannot go on gives up after a second (the window's connections: three).
    auto* thread = new ConnectionThread(socket, &events, 1, 1);
    ASSERT_EQ(thread->Run(), wxTHREAD_NO_ERROR);

    // The server reads nothing: once the socket buffers are full a send fails.
    const wxString big('x', 1 << 20);
    int sends = 0;
    bool failed = false;
    while (!failed && sends < 256) {
        failed = !thread->send(big);
        ++sends;
    }
    ASSERT_TRUE(failed) << "the peer took " << sends << " MiB without reading";

    // The stream is cut inside a frame: the connection is reported lost, so the window can
    // tell the operator and reconnect, and later sends are refused without waiting.
    EXPECT_TRUE(waitUntil([&] { return events.lost() == 1; })) << "the failed write went unseen";
    EXPECT_FALSE(thread->send("@GETDS"));
    EXPECT_FALSE(thread->send("@STATUS:1"));
    EXPECT_EQ(events.lost(), 1);

    thread->stop();
    EXPECT_TRUE(waitUntil([] { return ConnectionThread::liveCount() == 0; }));
}

}  // namespace
