// The connection thread against a peer that misbehaves on the sending side: a server that
// stops reading must not leave the window waiting on every later send.
#include <gtest/gtest.h>

#include <wx/init.h>
#include <wx/socket.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "net/ConnectionThread.h"
#include "support/LoopbackServer.h"
#include "support/WaitUntil.h"

using Tavoro::ConnectionThread;
using Tavoro::ReceivedQueue;
using Tavoro::Test::LoopbackServer;

namespace {

using Tavoro::Test::waitUntil;

TEST(ConnectionWrites, AServerThatStopsReadingEndsTheConnectionWithoutHoldingTheSender) {
    LoopbackServer server;
    server.limitReceiveBuffer(64 * 1024);
    auto* socket = new wxSocketClient(wxSOCKET_BLOCK);
    wxIPV4address address;
    address.Hostname("127.0.0.1");
    address.Service(server.port());
    ASSERT_TRUE(socket->Connect(address, true));
    ASSERT_TRUE(server.accept());
    auto received = std::make_shared<ReceivedQueue>(nullptr, 1);
    // A write that cannot go on gives up after a second (the window's connections: three).
    ConnectionThread connection(socket, received, 1);
    ASSERT_TRUE(connection.start());
    auto lost = [&] {
        std::vector<ReceivedQueue::Item> items;
        received->takeAll(items);
        return !items.empty() && items.back().lost;
    };

    // The server reads nothing. Far more than the socket buffers hold is queued at once: the
    // sender never waits for the network, so all of it is taken before the write gives up.
    const wxString big('x', 1 << 20);
    for (int i = 0; i < 12; ++i)
        ASSERT_TRUE(connection.send(big)) << "send " << i << " waited for the stuck write";

    // The stream is cut inside a frame: the connection is reported lost, so the window can
    // tell the operator and reconnect, and later sends are refused at once.
    EXPECT_TRUE(waitUntil(lost)) << "the failed write went unseen";
    EXPECT_FALSE(connection.send("@GETDS"));
    EXPECT_FALSE(connection.send("@STATUS:1"));
}

}  // namespace
