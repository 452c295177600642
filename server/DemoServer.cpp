#include "DemoServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
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
        const bool accepting = std::chrono::steady_clock::now() >= m_acceptPausedUntil;
        fds.push_back({m_listenFd, static_cast<short>(accepting ? POLLIN : 0), 0});
        for (auto& entry : m_connections) {
            short events = POLLIN;
            if (!entry.second.session->output().empty())
                events |= POLLOUT;
            fds.push_back({entry.first, events, 0});
        }
        // While accepting is paused, the poll wakes up for it in time.
        const int ready =
            ::poll(fds.data(), fds.size(), accepting ? timeout : std::min(timeout, 200));
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
            bool alive = true;
            if (fds[i].revents & (POLLIN | POLLHUP | POLLERR))
                alive = readFrom(c);
            if (alive && !c.session->output().empty())
                alive = writeTo(c);
            if (!alive) {
                closeConnection(fds[i].fd, "connection closed");
            } else if (c.session->finished() && c.session->output().empty()) {
                closeConnection(fds[i].fd, "session ended");
            }
        }
    }
}

int DemoServer::runTimers() {
    using namespace std::chrono;
    auto now = steady_clock::now();
    if (now >= m_context.simulation.nextDue())
        m_context.simulation.advance(now);
    if (now >= m_context.chats.nextDue())
        m_context.chats.advance(now);
    if (now >= m_stateFile.nextDue(m_context.simulation) &&
        !m_stateFile.update(m_context.simulation, now)) {
        m_context.log.info("cannot write the state file " + m_options.stateFile);
    }
    const auto next =
        std::min({m_context.simulation.nextDue(), m_context.chats.nextDue(),
                  m_stateFile.nextDue(m_context.simulation), now + milliseconds(500)});
    now = steady_clock::now();
    if (next <= now)
        return 0;
    // Rounded up, so that a wake-up is never a little early and followed by a busy retry.
    return static_cast<int>(duration_cast<milliseconds>(next - now).count()) + 1;
}

void DemoServer::flushAll() {
    const auto now = std::chrono::steady_clock::now();
    std::vector<std::pair<int, const char*>> drop;
    for (auto& [fd, c] : m_connections) {
        std::string& out = c.session->output();
        if (out.empty()) {
            c.lastProgress = now;
            continue;
        }
        const size_t before = out.size();
        if (!writeTo(c)) {
            drop.emplace_back(fd, "connection closed");
            continue;
        }
        if (out.size() < before || out.empty())
            c.lastProgress = now;
        if (c.session->finished() && out.empty())
            drop.emplace_back(fd, "session ended");
        else if (out.size() > kMaxPendingOutput)
            drop.emplace_back(fd, "client does not read; dropped");
        else if (now - c.lastProgress > kMaxStall)
            drop.emplace_back(fd, "client stopped reading; dropped");
    }
    for (const auto& [fd, why] : drop)
        closeConnection(fd, why);
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
        auto session = std::make_unique<ClientSession>(id, m_context);
        m_context.log.connection(id, "connected");
        session->start();
        Connection& c = m_connections[fd];
        c.fd = fd;
        c.session = std::move(session);
        c.lastProgress = std::chrono::steady_clock::now();
        m_registry.add(c.session.get());
        if (!writeTo(c))
            closeConnection(fd, "write failed");
    }
}

bool DemoServer::readFrom(Connection& c) {
    char buffer[65536];
    for (int rounds = 0; rounds < 16; ++rounds) {
        const ssize_t n = ::recv(c.fd, buffer, sizeof(buffer), 0);
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

bool DemoServer::writeTo(Connection& c) {
    std::string& out = c.session->output();
    size_t written = 0;
    while (written < out.size()) {
        const ssize_t n = ::send(c.fd, out.data() + written, out.size() - written, MSG_NOSIGNAL);
        if (n > 0) {
            written += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        return false;
    }
    out.erase(0, written);
    return true;
}

void DemoServer::closeConnection(int fd, const char* why) {
    auto found = m_connections.find(fd);
    if (found == m_connections.end())
        return;
    m_context.log.connection(found->second.session->id(), why);
    found->second.session->closed();
    m_registry.remove(found->second.session->id());
    ::close(fd);
    m_connections.erase(found);
}

}  // namespace TavoroDemo
