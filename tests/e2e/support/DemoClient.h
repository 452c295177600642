#pragma once

// A logged-in client of the demo server for end-to-end tests, built from the client's own
// protocol code (key exchange, frame crypto, login message). No toolkit GUI, every wait bounded:
//
//   Tavoro::Test::DemoClient client(server.port());
//   ASSERT_TRUE(client.logIn("demo", "demo", "Test Operator"));
//   client.send("@GETDS");
//   auto ds = client.waitFor("@DS:", 5000);      // skips (and keeps) other messages
//
// The login needs the settings store and so the toolkit's base library (wxInitialize).

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
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
#include "support/TempDir.h"

namespace Tavoro::Test {

class DemoClient {
  public:
    using clock = std::chrono::steady_clock;

    explicit DemoClient(int port) {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<uint16_t>(port));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0;
    }
    ~DemoClient() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    DemoClient(const DemoClient&) = delete;
    DemoClient& operator=(const DemoClient&) = delete;

    bool connected() const { return m_connected; }
    bool closed() const { return m_closed; }

    // Socket reads so far, and how many of them returned a single byte.
    size_t reads() const { return m_reads; }
    size_t singleByteReads() const { return m_singleByteReads; }
    // Bytes received after the last complete frame (the start of a frame without its NUL).
    size_t pendingBytes() const { return m_buffer.size() - m_start; }
    // Caps a frame as the client's connection does: a frame longer than maxBytes is dropped
    // whole (counted by droppedFrames) and reading resumes after the next NUL.
    void setMaxFrame(size_t maxBytes) { m_maxFrame = maxBytes; }
    size_t droppedFrames() const { return m_droppedFrames; }

    // Greeting, key exchange and login with the client's code; true on "@CONNECTED".
    bool logIn(const wxString& user, const wxString& password, const wxString& operatorName) {
        if (!m_connected || !handshake())
            return false;
        TavoroSettings settings(m_dir.file("settings.ini"));
        settings.setString(SETTING_USERNAME, user);
        settings.setString(SETTING_PASSWORD, password);
        settings.setString(SETTING_OPERATOR_NAME, operatorName);
        if (!send(Messages::LoginMessage(loginDetailsOf(settings)).toText()))
            return false;
        const auto reply = next();
        return reply && reply->StartsWith("@CONNECTED");
    }

    bool send(const wxString& text) {
        return sendRaw(Net::encryptFrame(m_sessionKey, text) + std::string(1, '\0'));
    }
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

    // The next message text (decrypted), or nothing when the time is up or the server closed.
    std::optional<wxString> next(int timeoutMs = 5000) {
        if (!m_kept.empty()) {
            wxString text = m_kept.front();
            m_kept.pop_front();
            return text;
        }
        auto frame = readFrame(timeoutMs);
        if (!frame)
            return std::nullopt;
        if (m_sessionKey.empty())
            return Net::fromLatin1(*frame);
        return Net::decryptFrame(m_sessionKey, *frame, nullptr);
    }

    // The next message that starts with prefix; the others read meanwhile are handed to
    // onOther (when given) or kept, in order, for later next() calls.
    std::optional<wxString> waitFor(const wxString& prefix, int timeoutMs = 5000,
                                    const std::function<void(const wxString&)>& onOther = {}) {
        return waitForMatch([&](const wxString& t) { return t.StartsWith(prefix); }, timeoutMs,
                            onOther);
    }
    std::optional<wxString> waitForMatch(const std::function<bool(const wxString&)>& match,
                                         int timeoutMs,
                                         const std::function<void(const wxString&)>& onOther = {}) {
        const auto deadline = clock::now() + std::chrono::milliseconds(timeoutMs);
        std::deque<wxString> skipped;
        std::optional<wxString> found;
        while (!found) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock::now())
                    .count();
            if (left <= 0)
                break;
            auto text = next(static_cast<int>(left));
            if (!text)
                break;
            if (match(*text))
                found = text;
            else if (onOther)
                onOther(*text);
            else
                skipped.push_back(*text);
        }
        // What was skipped comes before what had been kept (it was read first from the kept
        // queue or the socket in that order).
        for (auto it = skipped.rbegin(); it != skipped.rend(); ++it)
            m_kept.push_front(*it);
        return found;
    }

    // Reads for the given time and hands every message to onMessage.
    void readFor(int ms, const std::function<void(const wxString&)>& onMessage) {
        const auto deadline = clock::now() + std::chrono::milliseconds(ms);
        while (clock::now() < deadline) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock::now())
                    .count();
            auto text = next(static_cast<int>(std::max<long long>(left, 1)));
            if (text)
                onMessage(*text);
            else if (m_closed)
                return;
        }
    }

  private:
    bool handshake() {
        auto hello = next();
        if (!hello || !hello->StartsWith("@HELLO:"))
            return false;
        wxString publicKey;
        wxString error;
        if (!Net::makeClientKey(m_primes, publicKey, error))
            return false;
        if (!sendRaw("@PUBLICKEY:" + publicKey.ToStdString() + std::string(1, '\0')))
            return false;
        auto session = next();
        if (!session)
            return false;
        Messages::TavoroMessage message(*session);
        if (message.kind() != Messages::MK_SESSION)
            return false;
        wxString plain;
        if (!Net::decryptSessionData(m_primes, message.data(), plain, error))
            return false;
        Messages::S_SESSION parsed(plain);
        if (!parsed.hasSessionKey())
            return false;
        m_sessionKey = parsed.sessionKey().utf8_string();
        return true;
    }

    std::optional<std::string> readFrame(int timeoutMs) {
        const auto deadline = clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const size_t nul = m_buffer.find('\0', m_scanned);
            if (nul != std::string::npos) {
                std::string frame = m_buffer.substr(m_start, nul - m_start);
                m_start = nul + 1;
                m_scanned = m_start;
                if (m_discarding) {
                    m_discarding = false;
                    ++m_droppedFrames;
                    continue;
                }
                if (m_start > 1u << 20) {
                    m_buffer.erase(0, m_start);
                    m_start = m_scanned = 0;
                }
                return frame;
            }
            m_scanned = m_buffer.size();
            if (m_buffer.size() - m_start > m_maxFrame) {
                // Over the cap: everything up to the next NUL is dropped.
                m_discarding = true;
                m_buffer.clear();
                m_start = m_scanned = 0;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock::now())
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
            ++m_reads;
            m_singleByteReads += n == 1;
            if (m_discarding) {
                // Only the end of the dropped frame matters.
                const void* end = std::memchr(buf, '\0', static_cast<size_t>(n));
                if (!end)
                    continue;
                const size_t at = static_cast<size_t>(static_cast<const char*>(end) - buf);
                m_discarding = false;
                ++m_droppedFrames;
                m_buffer.append(buf + at + 1, static_cast<size_t>(n) - at - 1);
                continue;
            }
            m_buffer.append(buf, static_cast<size_t>(n));
        }
    }

    int m_fd = -1;
    bool m_connected = false;
    bool m_closed = false;
    std::string m_buffer;
    size_t m_start = 0;
    size_t m_scanned = 0;
    std::string m_sessionKey;
    Net::KeyPrimes m_primes;
    TempDir m_dir;
    std::deque<wxString> m_kept;
    size_t m_reads = 0;
    size_t m_singleByteReads = 0;
    size_t m_maxFrame = SIZE_MAX;
    bool m_discarding = false;
    size_t m_droppedFrames = 0;
};

}  // namespace Tavoro::Test
