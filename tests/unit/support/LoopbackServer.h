#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>

namespace Tavoro::Test {

// A one-connection TCP server on 127.0.0.1 with a free port, driven step by step by a test:
// accept, send raw bytes, read what the peer sent. Every wait is bounded.
class LoopbackServer {
  public:
    LoopbackServer() {
        m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
        int one = 1;
        ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(m_listen, 4);
        socklen_t len = sizeof addr;
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
        m_port = ntohs(addr.sin_port);
    }
    ~LoopbackServer() {
        closePeer();
        if (m_listen >= 0)
            ::close(m_listen);
    }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    unsigned short port() const { return m_port; }

    // Caps the kernel's receive buffer of the connection accepted next, so that a peer that
    // reads nothing fills it after a few hundred KiB instead of tens of MiB.
    void limitReceiveBuffer(int bytes) {
        ::setsockopt(m_listen, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
    }

    bool accept(int timeoutMs = 5000) {
        pollfd p{m_listen, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0)
            return false;
        m_peer = ::accept(m_listen, nullptr, nullptr);
        return m_peer >= 0;
    }
    bool hasPeer() const { return m_peer >= 0; }

    bool send(const std::string& bytes) {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n =
                ::send(m_peer, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            done += static_cast<size_t>(n);
        }
        return true;
    }

    // Reads until `count` NUL-terminated frames have arrived or the time is up; returns all
    // bytes read so far.
    std::string readFrames(size_t count, int timeoutMs = 5000) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (countNuls() < count) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
            if (left < 0)
                left = 0;  // still take what has already arrived
            pollfd p{m_peer, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left)) <= 0)
                break;
            char buf[4096];
            const ssize_t n = ::recv(m_peer, buf, sizeof buf, 0);
            if (n <= 0) {
                m_peerEnded = true;
                break;
            }
            m_received.append(buf, static_cast<size_t>(n));
        }
        return m_received;
    }
    // What arrives within the time (one read); empty when nothing did or the peer ended.
    std::string readSome(int timeoutMs) {
        pollfd p{m_peer, POLLIN, 0};
        if (m_peer < 0 || ::poll(&p, 1, timeoutMs) <= 0)
            return std::string();
        char buf[16384];
        const ssize_t n = ::recv(m_peer, buf, sizeof buf, 0);
        if (n <= 0) {
            m_peerEnded = true;
            return std::string();
        }
        return std::string(buf, static_cast<size_t>(n));
    }
    const std::string& received() const { return m_received; }
    // Whether a read found the end of the peer's stream (or a failed connection).
    bool peerEnded() const { return m_peerEnded; }
    void clearReceived() { m_received.clear(); }

    void closePeer() {
        if (m_peer >= 0)
            ::close(m_peer);
        m_peer = -1;
        m_peerEnded = false;
    }

  private:
    size_t countNuls() const {
        size_t n = 0;
        for (char c : m_received)
            n += (c == '\0');
        return n;
    }

    int m_listen = -1;
    int m_peer = -1;
    unsigned short m_port = 0;
    std::string m_received;
    bool m_peerEnded = false;
};

}  // namespace Tavoro::Test
