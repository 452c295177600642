// The connection thread over TLS against a TLS peer driven by the test (the demo server's TLS
// end): the certificate checks and why each refusal ends the connection, and the reader when
// records arrive in pieces or the peer closes inside one.
#include <gtest/gtest.h>
#include <wx/socket.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "TlsEndpoint.h"
#include "net/ConnectionThread.h"
#include "net/TlsChannel.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"
#include "support/TestCertificates.h"
#include "support/WaitUntil.h"

using namespace Tavoro;
using Net::TlsFailure;
using Tavoro::Test::LoopbackServer;
using Tavoro::Test::waitUntil;

namespace {

// The certificates are made once for the whole file: openssl takes a while.
class Certificates {
  public:
    static Certificates& get() {
        static Certificates instance;
        return instance;
    }
    Tavoro::Test::TempDir dir;  // first: the certificates are made in it
    Tavoro::Test::TestCertificates certs{std::string(dir.path().utf8_str())};
    bool made = certs.make();

  private:
    Certificates() = default;
};

// What the connection handed over, in order.
struct Taken {
    std::vector<wxString> frames;
    size_t losses = 0;
    TlsFailure failure = TlsFailure::None;

    void take(ReceivedQueue& queue) {
        std::vector<ReceivedQueue::Item> items;
        queue.takeAll(items);
        for (const auto& item : items) {
            if (item.lost) {
                ++losses;
                failure = item.failure;
            } else {
                frames.push_back(item.text);
            }
        }
    }
};

class TlsConnectionTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(Certificates::get().made) << "openssl failed"; }
    void TearDown() override {
        if (thread)
            thread->stop();
    }
    const Tavoro::Test::TestCertificates& certs() { return Certificates::get().certs; }

    // Connects a client with these options; the peer is accepted but not answered yet.
    void connect(const Net::TlsOptions& options) {
        auto* socket = new wxSocketClient(wxSOCKET_BLOCK);
        wxIPV4address address;
        address.Hostname("127.0.0.1");
        address.Service(server.port());
        ASSERT_TRUE(socket->Connect(address, true) && server.accept());
        Net::TlsOptions tls = options;
        tls.enabled = true;
        if (tls.hostName.empty())
            tls.hostName = "localhost";
        thread = std::make_unique<ConnectionThread>(socket, queue,
                                                    ConnectionThread::kWriteTimeoutSeconds, tls);
        ASSERT_TRUE(thread->start());
    }

    // Plays the TLS server with a certificate until the handshake is done (true) or the
    // client gave up (false).
    bool serve(const std::string& certName) {
        std::string error;
        auto identity =
            TavoroDemo::TlsIdentity::load(certs().pem(certName), certs().key(certName), error);
        if (!identity)
            return false;
        peer = std::make_unique<TavoroDemo::TlsEndpoint>(identity);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!peer->active() && std::chrono::steady_clock::now() < deadline) {
            const std::string bytes = server.readSome(50);
            if (server.peerEnded())
                return false;
            std::string plain;
            if (!bytes.empty() && !peer->received(bytes.data(), bytes.size(), plain))
                return false;
            if (!peer->output().empty()) {
                server.send(peer->output());
                peer->output().clear();
            }
            taken.take(*queue);
            if (taken.losses > 0)
                return false;
        }
        return peer->active();
    }

    // The records of a text as the peer would write them.
    std::string records(const std::string& plain) {
        peer->send(plain);
        std::string out;
        out.swap(peer->output());
        return out;
    }

    bool waitForLoss() {
        return waitUntil([&] {
            taken.take(*queue);
            return taken.losses > 0;
        });
    }

    LoopbackServer server;
    std::shared_ptr<ReceivedQueue> queue = std::make_shared<ReceivedQueue>(nullptr, 1);
    std::unique_ptr<ConnectionThread> thread;
    std::unique_ptr<TavoroDemo::TlsEndpoint> peer;
    Taken taken;
};

TEST_F(TlsConnectionTest, EachRefusedCertificateEndsTheConnectionWithItsReason) {
    struct Case {
        const char* what;
        std::string cert;
        Net::TlsOptions options;
        TlsFailure expected;
    };
    Net::TlsOptions trustCa;
    trustCa.caFile = certs().pem("ca");
    Net::TlsOptions trustOther;
    trustOther.caFile = certs().pem("otherca");
    Net::TlsOptions systemStore;
    Net::TlsOptions pinSelfSigned;
    pinSelfSigned.pinSha256 = certs().fingerprint("selfsigned");
    const Case cases[] = {
        {"chain from another CA", "server", trustOther, TlsFailure::Untrusted},
        {"CA unknown to the system's store", "server", systemStore, TlsFailure::Untrusted},
        {"self-signed", "selfsigned", trustCa, TlsFailure::Untrusted},
        {"certificate for another host", "otherhost", trustCa, TlsFailure::WrongHost},
        {"expired certificate", "expired", trustCa, TlsFailure::Expired},
        {"pin of another certificate", "server", pinSelfSigned, TlsFailure::PinMismatch},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        server.closePeer();
        taken = Taken();
        connect(c.options);
        EXPECT_FALSE(serve(c.cert));
        ASSERT_TRUE(waitForLoss());
        EXPECT_EQ(taken.failure, c.expected);
        EXPECT_TRUE(taken.frames.empty());
        // Nothing queued before the refusal reaches the server, in plain text or otherwise.
        EXPECT_FALSE(thread->send("@LOGIN:secret"));
    }
}

TEST_F(TlsConnectionTest, AServerThatDoesNotSpeakTlsIsRefused) {
    // One that greets in plain text, one that closes, and a CA file without a certificate.
    using namespace std::string_literals;
    connect({});
    thread->send("@PUBLICKEY:never in plain text");
    ASSERT_TRUE(server.send("@HELLO:Plain server\0"s));
    ASSERT_TRUE(waitForLoss());
    EXPECT_EQ(taken.failure, TlsFailure::NotTls);
    EXPECT_TRUE(taken.frames.empty());
    EXPECT_EQ(server.readFrames(1, 200).find("never"), std::string::npos);

    thread->stop();
    server.closePeer();
    taken = Taken();
    connect({});
    server.closePeer();
    ASSERT_TRUE(waitForLoss());
    EXPECT_EQ(taken.failure, TlsFailure::NotTls);

    thread->stop();
    taken = Taken();
    Net::TlsOptions badCa;
    badCa.caFile = certs().key("ca");  // a key, not a certificate
    connect(badCa);
    ASSERT_TRUE(waitForLoss());
    EXPECT_EQ(taken.failure, TlsFailure::BadCaFile);
}

TEST_F(TlsConnectionTest, TrustedServerOrMatchingPinCarriesFramesBothWays) {
    using namespace std::string_literals;
    Net::TlsOptions trustCa;
    trustCa.caFile = certs().pem("ca");
    Net::TlsOptions pin;
    pin.pinSha256 = certs().fingerprint("selfsigned");  // "AB:CD:..." as openssl prints it
    const std::pair<Net::TlsOptions, std::string> servers[] = {{trustCa, "server"},
                                                               {pin, "selfsigned"}};
    for (const auto& [options, cert] : servers) {
        SCOPED_TRACE(cert);
        TearDown();
        server.closePeer();
        taken = Taken();
        connect(options);
        // Queued during the handshake: written only inside the TLS stream.
        ASSERT_TRUE(thread->send("@PUBLICKEY:abc"));
        ASSERT_TRUE(serve(cert));
        std::string plain;
        ASSERT_TRUE(waitUntil([&] {
            const std::string bytes = server.readSome(20);
            peer->received(bytes.data(), bytes.size(), plain);
            return plain.find('\0') != std::string::npos;
        }));
        EXPECT_EQ(plain, "@PUBLICKEY:abc\0"s);
        ASSERT_TRUE(server.send(records("@HELLO:TLS server\0"s)));
        ASSERT_TRUE(waitUntil([&] {
            taken.take(*queue);
            return !taken.frames.empty();
        }));
        EXPECT_EQ(taken.frames[0], "@HELLO:TLS server");
        EXPECT_EQ(taken.losses, 0u);
    }
}

TEST_F(TlsConnectionTest, RecordsInPiecesAndAPeerClosingInsideOne) {
    using namespace std::string_literals;
    Net::TlsOptions trustCa;
    trustCa.caFile = certs().pem("ca");
    connect(trustCa);
    ASSERT_TRUE(serve("server"));
    // Two records, the second holding two frames and the start of a third that the next
    // record ends; written a few bytes at a time.
    std::string bytes = records("@A:1\0"s);  // one by one: the records are numbered
    bytes += records("@B:2\0@C:"s);
    bytes += records("3\0"s);
    for (size_t at = 0; at < bytes.size(); at += 7) {
        ASSERT_TRUE(server.send(bytes.substr(at, 7)));
        std::this_thread::sleep_for(std::chrono::milliseconds(1));  // separate segments
    }
    ASSERT_TRUE(waitUntil([&] {
        taken.take(*queue);
        return taken.frames.size() == 3;
    })) << taken.frames.size()
        << " frames, " << taken.losses << " losses, failure " << static_cast<int>(taken.failure);
    EXPECT_EQ(taken.frames, (std::vector<wxString>{"@A:1", "@B:2", "@C:3"}));

    // A whole record, then half of one, then the end of the stream: the frame of the half
    // record never arrives, and the end is a plain loss (the certificate was fine).
    const std::string whole = records("@D:4\0"s);
    const std::string last = records("@E:cut off\0"s);
    ASSERT_TRUE(server.send(whole + last.substr(0, last.size() / 2)));
    server.closePeer();
    ASSERT_TRUE(waitForLoss());
    EXPECT_EQ(taken.frames.back(), "@D:4");
    EXPECT_EQ(taken.frames.size(), 4u);
    EXPECT_EQ(taken.failure, TlsFailure::None);
    EXPECT_EQ(taken.losses, 1u);
}

}  // namespace
