// The demo server against the client's own protocol code (key exchange, frame crypto, login
// message) over loopback: greeting, session, login, long frames, garbage, many clients.
#include <gtest/gtest.h>
#include <wx/init.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "messages/LoginMessage.h"
#include "messages/S_SESSION.h"
#include "messages/TavoroMessage.h"
#include "net/FrameCrypto.h"
#include "net/KeyExchange.h"
#include "settings/LoginSettings.h"
#include "settings/TavoroSettings.h"
#include "support/DemoServerProcess.h"
#include "support/TempDir.h"

using namespace Tavoro;
using namespace Tavoro::Net;
using Tavoro::Messages::S_SESSION;
using Tavoro::Messages::TavoroMessage;

namespace {

constexpr int kWaitMs = 5000;

// The settings store needs the toolkit's base library initialised.
class WxBaseEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { wxInitialize(); }
    void TearDown() override { wxUninitialize(); }
};
::testing::Environment* const kWxBase = ::testing::AddGlobalTestEnvironment(new WxBaseEnvironment);

// A minimal client: one blocking-free socket, frames cut at NUL, every wait bounded.
class TestClient {
  public:
    explicit TestClient(int port) {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<uint16_t>(port));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0;
    }
    ~TestClient() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    TestClient(const TestClient&) = delete;
    TestClient& operator=(const TestClient&) = delete;

    bool connected() const { return m_connected; }

    bool sendRaw(const std::string& bytes) {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::send(m_fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            done += static_cast<size_t>(n);
        }
        return true;
    }
    bool sendPlain(const std::string& text) { return sendRaw(text + std::string(1, '\0')); }
    bool sendEncrypted(const wxString& text) {
        return sendRaw(encryptFrame(m_sessionKey, text) + std::string(1, '\0'));
    }

    // The next frame body, or nothing when the time is up or the server closed.
    std::optional<std::string> readFrame(int timeoutMs = kWaitMs) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const size_t nul = m_buffer.find('\0');
            if (nul != std::string::npos) {
                std::string frame = m_buffer.substr(0, nul);
                m_buffer.erase(0, nul + 1);
                return frame;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count();
            if (left <= 0 || m_closed)
                return std::nullopt;
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left)) <= 0)
                continue;
            char buf[65536];
            const ssize_t n = ::recv(m_fd, buf, sizeof(buf), 0);
            if (n <= 0) {
                m_closed = true;
                continue;
            }
            m_buffer.append(buf, static_cast<size_t>(n));
        }
    }
    std::optional<wxString> readText(int timeoutMs = kWaitMs) {
        auto frame = readFrame(timeoutMs);
        if (!frame)
            return std::nullopt;
        if (m_sessionKey.empty())
            return fromLatin1(*frame);
        return decryptFrame(m_sessionKey, *frame, nullptr);
    }

    // True when the server closes the connection within the time limit.
    bool closedByServer(int timeoutMs = kWaitMs) {
        while (readFrame(timeoutMs)) {
        }
        return m_closed;
    }

    // Greeting and key exchange with the client's functions; the session data, or nothing.
    std::optional<S_SESSION> handshake() {
        auto hello = readText();
        if (!hello || !hello->StartsWith("@HELLO:"))
            return std::nullopt;
        wxString publicKey;
        wxString error;
        if (!makeClientKey(m_primes, publicKey, error))
            return std::nullopt;
        sendPlain("@PUBLICKEY:" + publicKey.ToStdString());
        auto session = readText();
        if (!session)
            return std::nullopt;
        TavoroMessage message(*session);
        if (message.kind() != Messages::MK_SESSION)
            return std::nullopt;
        wxString plain;
        if (!decryptSessionData(m_primes, message.data(), plain, error))
            return std::nullopt;
        S_SESSION parsed(plain);
        if (!parsed.hasSessionKey())
            return std::nullopt;
        m_sessionKey = parsed.sessionKey().utf8_string();
        return parsed;
    }

    bool login(const TavoroSettings& settings) {
        return sendEncrypted(Messages::LoginMessage(loginDetailsOf(settings)).toText());
    }

  private:
    int m_fd = -1;
    bool m_connected = false;
    bool m_closed = false;
    std::string m_buffer;
    std::string m_sessionKey;
    KeyPrimes m_primes;
};

class DemoServerTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(server.start()) << server.error(); }

    std::unique_ptr<TavoroSettings> settingsFor(const wxString& user, const wxString& password) {
        auto s = std::make_unique<TavoroSettings>(dir.file(wxString::Format("s%d.ini", ++files)));
        s->setString(SETTING_USERNAME, user);
        s->setString(SETTING_PASSWORD, password);
        s->setString(SETTING_OPERATOR_NAME, "Test Operator");
        return s;
    }

    Tavoro::Test::DemoServerProcess server{TAVORO_DEMO_SERVER};
    Tavoro::Test::TempDir dir;
    int files = 0;
};

}  // namespace

TEST_F(DemoServerTest, GreetingSessionAndLoginWithTheClientsCode) {
    TestClient client(server.port());
    ASSERT_TRUE(client.connected());
    const auto session = client.handshake();
    ASSERT_TRUE(session);
    EXPECT_EQ(session->appName(), "Tavoro Demo Server");
    EXPECT_EQ(session->registeredTo(), "Tavoro Demo Company");
    EXPECT_GE(session->sessionKey().length(), 32u);

    ASSERT_TRUE(client.login(*settingsFor("demo", "demo")));
    const auto reply = client.readText();
    ASSERT_TRUE(reply);
    EXPECT_EQ(TavoroMessage(*reply).kind(), Messages::MK_CONNECTED);

    ASSERT_TRUE(client.sendEncrypted("@GETDS"));
    EXPECT_TRUE(server.waitForLog("<- @GETDS", kWaitMs));
    // The login fields reach the server as configured; the password is kept out of the log.
    const std::string log = server.log();
    EXPECT_NE(log.find("<- @LOGIN:\\tTest Operator\\t\\t\\tLC-0.0.10.51\\t0\\ten\\tdemo\\t***"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("-> @HELLO:"), std::string::npos);
    EXPECT_NE(log.find("-> @CONNECTED:"), std::string::npos);
}

TEST_F(DemoServerTest, WrongPasswordGetsErrorAndTheConnectionCloses) {
    TestClient client(server.port());
    ASSERT_TRUE(client.handshake());
    ASSERT_TRUE(client.login(*settingsFor("demo", "not-the-password")));
    const auto reply = client.readText();
    ASSERT_TRUE(reply);
    const TavoroMessage message(*reply);
    EXPECT_EQ(message.kind(), Messages::MK_ERROR);
    EXPECT_FALSE(message.data().empty());
    EXPECT_TRUE(client.closedByServer());
}

TEST_F(DemoServerTest, UnknownUserAndIncompleteLoginAreRefused) {
    for (const wxString& login :
         {wxString(Messages::LoginMessage(loginDetailsOf(*settingsFor("nobody", "demo"))).toText()),
          wxString("@LOGIN:only\tthree\tfields")}) {
        TestClient client(server.port());
        ASSERT_TRUE(client.handshake());
        ASSERT_TRUE(client.sendEncrypted(login));
        const auto reply = client.readText();
        ASSERT_TRUE(reply);
        EXPECT_EQ(TavoroMessage(*reply).kind(), Messages::MK_ERROR) << *reply;
        EXPECT_TRUE(client.closedByServer());
    }
}

TEST_F(DemoServerTest, LongTextSurvivesBothWays) {
    TestClient client(server.port());
    ASSERT_TRUE(client.handshake());
    ASSERT_TRUE(client.login(*settingsFor("demo", "demo")));
    ASSERT_TRUE(client.readText());
    wxString text;
    for (int i = 0; text.length() < 10240; ++i)
        text += wxString::Format(L"line %d caf\u00e9 %%; ", i);
    ASSERT_TRUE(client.sendEncrypted("@ECHO:" + text));
    const auto reply = client.readText();
    ASSERT_TRUE(reply);
    EXPECT_EQ(*reply, "@ECHO:" + text);
}

TEST_F(DemoServerTest, CloseFromTheClientEndsTheConnection) {
    TestClient client(server.port());
    ASSERT_TRUE(client.handshake());
    ASSERT_TRUE(client.sendEncrypted("@CLOSE"));
    EXPECT_TRUE(client.closedByServer());
}

TEST_F(DemoServerTest, InvalidPublicKeyIsRefused) {
    for (const std::string& key :
         {std::string("not base64 at all!"), std::string("QUJD"), std::string("")}) {
        TestClient client(server.port());
        ASSERT_TRUE(client.readText());  // greeting
        ASSERT_TRUE(client.sendPlain("@PUBLICKEY:" + key));
        const auto reply = client.readText();
        ASSERT_TRUE(reply);
        EXPECT_TRUE(reply->StartsWith("@ERROR:")) << *reply;
        EXPECT_TRUE(client.closedByServer());
    }
}

TEST_F(DemoServerTest, GarbageDoesNotHurtTheServerOrOtherClients) {
    TestClient other(server.port());
    ASSERT_TRUE(other.handshake());
    ASSERT_TRUE(other.login(*settingsFor("demo", "demo")));
    ASSERT_TRUE(other.readText());

    {
        // Plain garbage before the key exchange, including bytes above 0x7f and empty frames.
        TestClient garbage(server.port());
        ASSERT_TRUE(garbage.readText());
        std::string junk;
        for (int i = 0; i < 5000; ++i)
            junk += static_cast<char>((i * 37 + 11) & 0xFF);
        ASSERT_TRUE(garbage.sendRaw(junk));
        ASSERT_TRUE(garbage.sendRaw(std::string(3, '\0') + "@NOSUCH:x" + std::string(1, '\0')));
    }
    {
        // Encrypted session: undecryptable frames are skipped, the next good frame is served.
        TestClient client(server.port());
        ASSERT_TRUE(client.handshake());
        ASSERT_TRUE(client.sendPlain("not encrypted"));
        ASSERT_TRUE(client.sendPlain(std::string(32, 'x')));
        ASSERT_TRUE(client.login(*settingsFor("demo", "demo")));
        const auto reply = client.readText();
        ASSERT_TRUE(reply);
        EXPECT_EQ(*reply, "@CONNECTED:");
    }
    {
        // A frame above 16 MiB is dropped; reading resumes after its NUL.
        TestClient client(server.port());
        ASSERT_TRUE(client.handshake());
        ASSERT_TRUE(client.sendRaw(std::string(17u * 1024u * 1024u, 'g')));
        ASSERT_TRUE(client.sendRaw(std::string(1, '\0')));
        ASSERT_TRUE(client.login(*settingsFor("demo", "demo")));
        const auto reply = client.readText(20000);
        ASSERT_TRUE(reply);
        EXPECT_EQ(*reply, "@CONNECTED:");
    }
    EXPECT_TRUE(server.running());
    ASSERT_TRUE(other.sendEncrypted("@ECHO:still here"));
    const auto echo = other.readText();
    ASSERT_TRUE(echo);
    EXPECT_EQ(*echo, "@ECHO:still here");
}

TEST_F(DemoServerTest, ManyClientsAtOnce) {
    constexpr int kClients = 24;
    std::vector<std::unique_ptr<TestClient>> clients;
    for (int i = 0; i < kClients; ++i) {
        clients.push_back(std::make_unique<TestClient>(server.port()));
        ASSERT_TRUE(clients.back()->connected());
    }
    // Interleaved: every client is half-way through its session while the others start.
    for (auto& c : clients)
        ASSERT_TRUE(c->handshake());
    const auto settings = settingsFor("support", "support");
    for (auto& c : clients)
        ASSERT_TRUE(c->login(*settings));
    for (auto& c : clients) {
        const auto reply = c->readText();
        ASSERT_TRUE(reply);
        EXPECT_EQ(*reply, "@CONNECTED:");
    }
}

class DemoServerOperatorsTest : public ::testing::Test {
  protected:
    Tavoro::Test::DemoServerProcess server{TAVORO_DEMO_SERVER};
    Tavoro::Test::TempDir dir;
};

TEST_F(DemoServerOperatorsTest, OperatorListFromFileWithLatin1Password) {
    server.setOperators("# test operators\nanna\tp\xc3\xa4ss\tAnna Example\n\n");
    ASSERT_TRUE(server.start()) << server.error();
    TavoroSettings settings(dir.file("s.ini"));
    settings.setString(SETTING_USERNAME, "anna");
    settings.setString(SETTING_PASSWORD, L"p\u00e4ss");
    {
        TestClient client(server.port());
        ASSERT_TRUE(client.handshake());
        ASSERT_TRUE(client.login(settings));
        const auto reply = client.readText();
        ASSERT_TRUE(reply);
        EXPECT_EQ(*reply, "@CONNECTED:");
    }
    // The built-in demo operator is not in this list.
    settings.setString(SETTING_USERNAME, "demo");
    settings.setString(SETTING_PASSWORD, "demo");
    TestClient client(server.port());
    ASSERT_TRUE(client.handshake());
    ASSERT_TRUE(client.login(settings));
    const auto reply = client.readText();
    ASSERT_TRUE(reply);
    EXPECT_TRUE(reply->StartsWith("@ERROR:"));
}

TEST_F(DemoServerOperatorsTest, MalformedOperatorFileStopsTheServer) {
    server.setOperators("only-a-name\n");
    EXPECT_FALSE(server.start());
}

TEST(DemoServerOptions, RefusesNonLoopbackAddressesAndBadOptions) {
    for (const std::string& args :
         {std::string("--bind 0.0.0.0"), std::string("--bind 192.168.1.5"),
          std::string("--port 70000"), std::string("--port x"), std::string("--frobnicate")}) {
        const std::string command = std::string(TAVORO_DEMO_SERVER) + " " + args + " 2>/dev/null";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << args;
        EXPECT_EQ(WEXITSTATUS(status), 2) << args;
    }
}
