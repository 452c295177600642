#include "DemoServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace TavoroDemo {

DemoServer::DemoServer(const ServerOptions& options, SessionContext& context,
                       ConnectionRegistry& registry)
    : m_options(options),
      m_context(context),
      m_registry(registry),
      m_stateFile(options.stateFile) {}

DemoServer::~DemoServer() {
    for (auto& entry : m_connections)
        ::close(entry.first);
    if (m_listenFd >= 0)
        ::close(m_listenFd);
}

bool DemoServer::listen(std::string& error) {
    if (!m_options.tlsCertFile.empty()) {
        m_tls = TlsIdentity::load(m_options.tlsCertFile, m_options.tlsKeyFile, error);
        if (!m_tls)
            return false;
    }
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    const int on = 1;
    ::setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(m_options.port);
    if (::inet_pton(AF_INET, m_options.bindAddress.c_str(), &addr.sin_addr) != 1) {
        error = "invalid bind address " + m_options.bindAddress;
        return false;
    }
    if (::bind(m_listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
        error = "bind " + m_options.bindAddress + ":" + std::to_string(m_options.port) + ": " +
                std::strerror(errno);
        return false;
    }
    if (::listen(m_listenFd, 128) != 0) {
        error = std::string("listen: ") + std::strerror(errno);
        return false;
    }
    socklen_t len = sizeof(addr);
    ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    rlimit files{};
    if (::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur != RLIM_INFINITY &&
        files.rlim_cur < kMaxConnections + 32) {
        m_connectionLimit = files.rlim_cur > 48 ? static_cast<size_t>(files.rlim_cur) - 32 : 16;
    }
    return true;
}

void DemoServer::run(const volatile std::sig_atomic_t& stop) {
    std::vector<pollfd> fds;
    while (!stop) {
        // The timers run first, and what they queued is written before polling.
        const int timeout = runTimers();
        flushAll();
        fds.clear();
        // While accepting is paused the listener is still polled, but for nothing.
        const bool accepting = Clock::now() >= m_acceptPausedUntil;
        fds.push_back({m_listenFd, static_cast<short>(accepting ? POLLIN : 0), 0});
        for (auto& entry : m_connections) {
            const Connection& c = entry.second;
            short events = POLLIN;
            // A bytewise connection is written on its own schedule, never when merely writable.
            if (!c.closing && !c.bytewise && !allWritten(c))
                events |= POLLOUT;
            fds.push_back({entry.first, events, 0});
        }
        // While accepting is paused, the poll wakes up for it in time.
        const timespec wait = pollTimeout(accepting ? timeout : std::min(timeout, 200));
        const int ready = ::ppoll(fds.data(), fds.size(), &wait, nullptr);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            m_context.log.info(std::string("poll: ") + std::strerror(errno));
            return;
        }
        if (ready == 0)
            continue;
        if (fds[0].revents & POLLIN)
            acceptAll();
        for (size_t i = 1; i < fds.size(); ++i) {
            if (fds[i].revents == 0)
                continue;
            auto found = m_connections.find(fds[i].fd);
            if (found == m_connections.end())
                continue;
            Connection& c = found->second;
            if (c.closing) {
                if (!drain(c))
                    closeConnection(fds[i].fd, nullptr);
                continue;
            }
            bool alive = true;
            if (fds[i].revents & (POLLIN | POLLHUP | POLLERR))
                alive = readFrom(c);
            if (alive && !allWritten(c))
                alive = writeTo(c);
            if (!alive) {
                closeConnection(fds[i].fd, "connection closed");
            } else if (c.session->finished() && allWritten(c)) {
                beginClose(c, "session ended");
            }
        }
    }
}

timespec DemoServer::pollTimeout(int timerMs) const {
    auto wait = std::chrono::nanoseconds(std::chrono::milliseconds(std::max(timerMs, 0)));
    const auto now = Clock::now();
    for (const auto& entry : m_connections) {
        const Connection& c = entry.second;
        if (c.bytewise && !c.closing && !allWritten(c))
            wait = std::min(wait, std::max(std::chrono::nanoseconds(0), c.nextByte - now));
    }
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(wait);
    timespec out{};
    out.tv_sec = static_cast<time_t>(seconds.count());
    out.tv_nsec = static_cast<long>((wait - seconds).count());
    return out;
}

int DemoServer::runTimers() {
    using namespace std::chrono;
    auto now = steady_clock::now();
    if (now >= m_context.simulation.nextDue())
        m_context.simulation.advance(now);
    if (now >= m_context.chats.nextDue())
        m_context.chats.advance(now);
    if (now >= m_context.probe.nextDue())
        m_context.probe.advance(now, m_registry);
    if (now >= m_stateFile.nextDue(m_context.simulation) &&
        !m_stateFile.update(m_context.simulation, now)) {
        m_context.log.info("cannot write the state file " + m_options.stateFile);
    }
    const auto next = std::min(
        {m_context.simulation.nextDue(), m_context.chats.nextDue(), m_context.probe.nextDue(),
         m_stateFile.nextDue(m_context.simulation), now + milliseconds(500)});
    now = steady_clock::now();
    if (next <= now)
        return 0;
    // Rounded up, so that a wake-up is never a little early and followed by a busy retry.
    return static_cast<int>(duration_cast<milliseconds>(next - now).count()) + 1;
}

void DemoServer::flushAll() {
    const auto now = Clock::now();
    std::vector<std::pair<int, const char*>> drop;
    std::vector<int> lingered;
    for (auto& [fd, c] : m_connections) {
        if (c.closing) {
            if (now - c.closingSince > kLinger)
                lingered.push_back(fd);
            continue;
        }
        if (allWritten(c)) {
            c.lastProgress = now;
            if (c.session->finished())
                beginClose(c, "session ended");
            continue;
        }
        // Bytes not yet written (a bytewise connection's written bytes leave the buffer late).
        const size_t before = pendingBytes(c) - c.bytesWritten;
        if (!writeTo(c)) {
            drop.emplace_back(fd, "connection closed");
            continue;
        }
        const size_t after = pendingBytes(c) - c.bytesWritten;
        if (after != before || allWritten(c))
            c.lastProgress = now;
        if (c.session->finished() && allWritten(c))
            beginClose(c, "session ended");
        else if (after > kMaxPendingOutput)
            drop.emplace_back(fd, "client does not read; dropped");
        else if (now - c.lastProgress > kMaxStall)
            drop.emplace_back(fd, "client stopped reading; dropped");
    }
    for (const auto& [fd, why] : drop)
        closeConnection(fd, why);
    for (const int fd : lingered)
        closeConnection(fd, nullptr);
}

void DemoServer::acceptAll() {
    for (;;) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                // The pending connection stays queued; polling for it again at once would spin.
                m_acceptPausedUntil =
                    std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
                m_context.log.info("out of descriptors; accepting paused");
            }
            return;  // EAGAIN: nothing more; other errors: try again on the next poll
        }
        if (m_connections.size() >= m_connectionLimit) {
            m_context.log.info("too many connections; refusing one");
            ::close(fd);
            continue;
        }
        const int id = m_nextId++;
        // The fault hits the first connections; the later ones are served normally.
        const FaultMode fault = static_cast<uint64_t>(id) <= m_options.faultConnections
                                    ? m_options.fault
                                    : FaultMode::None;
        auto session = std::make_unique<ClientSession>(id, m_context, fault);
        m_context.log.connection(id, "connected");
        Connection& c = m_connections[fd];
        c.fd = fd;
        c.lastProgress = Clock::now();
        if (fault == FaultMode::Bytewise) {
            // Every byte its own segment: no coalescing of the small writes.
            const int on = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
            c.bytewise = true;
            c.nextByte = c.lastProgress;
        }
        if (m_tls)
            c.tls = std::make_unique<TlsEndpoint>(m_tls);
        session->start();
        c.session = std::move(session);
        m_registry.add(c.session.get());
        if (!writeTo(c)) {
            closeConnection(fd, "write failed");
        } else if (c.session->finished() && allWritten(c)) {
            beginClose(c, "session ended");
        }
    }
}

bool DemoServer::readFrom(Connection& c) {
    char buffer[65536];
    for (int rounds = 0; rounds < 16; ++rounds) {
        const ssize_t n = ::recv(c.fd, buffer, sizeof(buffer), 0);
        if (n > 0 && c.tls) {
            std::string plain;
            const bool ok = c.tls->received(buffer, static_cast<size_t>(n), plain);
            if (!plain.empty())
                c.session->receive(plain.data(), plain.size());
            if (!ok) {
                m_context.log.connection(c.session->id(), "TLS: " + c.tls->failure());
                return false;
            }
            if (c.session->finished())
                return true;
            continue;
        }
        if (n > 0) {
            c.session->receive(buffer, static_cast<size_t>(n));
            if (c.session->finished())
                return true;
            continue;
        }
        if (n == 0)
            return false;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return true;
        if (errno == EINTR)
            continue;
        return false;
    }
    return true;  // more may be waiting; the next poll says so
}

bool DemoServer::allWritten(const Connection& c) const {
    if (!c.tls)
        return c.session->outputDone();
    // Before the handshake is done, the session's output waits and nothing is due.
    return c.tls->output().empty() && (!c.tls->active() || c.session->outputDone());
}

size_t DemoServer::pendingBytes(const Connection& c) const {
    return c.session->pendingBytes() + (c.tls ? c.tls->output().size() : 0);
}

std::string& DemoServer::wireOutput(Connection& c) {
    c.session->refillOutput();
    if (!c.tls)
        return c.session->output();
    // What the session wrote becomes records once the handshake is done; the records wait
    // in the TLS output until written.
    while (c.tls->active() && !c.session->output().empty()) {
        c.tls->send(c.session->output());
        c.session->output().clear();
        c.session->refillOutput();
        if (c.tls->output().size() >= 1024 * 1024)
            break;
    }
    return c.tls->output();
}

bool DemoServer::writeTo(Connection& c) {
    if (c.bytewise)
        return writeOneByte(c);
    for (;;) {
        std::string& out = wireOutput(c);
        if (out.empty())
            return true;
        size_t written = 0;
        bool blocked = false;
        while (written < out.size()) {
            const ssize_t n =
                ::send(c.fd, out.data() + written, out.size() - written, MSG_NOSIGNAL);
            if (n > 0) {
                written += static_cast<size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                blocked = true;
                break;
            }
            return false;
        }
        out.erase(0, written);
        if (blocked)
            return true;
    }
}

bool DemoServer::writeOneByte(Connection& c) {
    const auto now = Clock::now();
    if (now < c.nextByte)
        return true;
    std::string& out = wireOutput(c);
    if (c.bytesWritten >= out.size())
        return true;
    for (;;) {
        const ssize_t n = ::send(c.fd, out.data() + c.bytesWritten, 1, MSG_NOSIGNAL);
        if (n == 1)
            break;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        return false;
    }
    c.nextByte = now + kBytewiseGap;
    // What was written leaves the buffer in batches, not byte by byte.
    if (++c.bytesWritten == out.size() || c.bytesWritten >= 64 * 1024) {
        out.erase(0, c.bytesWritten);
        c.bytesWritten = 0;
    }
    return true;
}

bool DemoServer::drain(Connection& c) {
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::recv(c.fd, buffer, sizeof(buffer), 0);
        if (n > 0)
            continue;
        if (n < 0 && errno == EINTR)
            continue;
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
}

void DemoServer::beginClose(Connection& c, const char* why) {
    if (c.closing)
        return;
    m_context.log.connection(c.session->id(), why);
    c.session->closed();
    m_registry.remove(c.session->id());
    ::shutdown(c.fd, SHUT_WR);
    c.closing = true;
    c.closingSince = Clock::now();
}

// why: logged unless the connection was already closing (its end was logged then).
void DemoServer::closeConnection(int fd, const char* why) {
    auto found = m_connections.find(fd);
    if (found == m_connections.end())
        return;
    if (!found->second.closing) {
        m_context.log.connection(found->second.session->id(), why ? why : "connection closed");
        found->second.session->closed();
        m_registry.remove(found->second.session->id());
    }
    ::close(fd);
    m_connections.erase(found);
}

}  // namespace TavoroDemo
