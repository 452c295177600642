#pragma once

#include <chrono>
#include <csignal>
#include <cstdint>
#include <ctime>
#include <map>
#include <memory>
#include <string>

#include "ClientSession.h"
#include "ConnectionRegistry.h"
#include "ServerOptions.h"
#include "StateFile.h"
#include "TlsEndpoint.h"

namespace TavoroDemo {

// The listening socket and the connections, served by one thread with poll(). Each connection
// has a ClientSession that turns received bytes into replies.
class DemoServer {
  public:
    // At most this many connections, and never more than the process may open files.
    static constexpr size_t kMaxConnections = 1000;
    // A client that stops reading is dropped once this much output waits for it, or when
    // output has waited this long without a byte written.
    static constexpr size_t kMaxPendingOutput = 32u * 1024u * 1024u;
    static constexpr std::chrono::seconds kMaxStall{10};
    // A "bytewise" connection gets one byte per write, at most one per this gap.
    static constexpr std::chrono::microseconds kBytewiseGap{100};
    // A connection whose session ended is shut down for writing, and what the client still
    // sends is read and dropped for up to this long, so that the client reads everything up to
    // the end instead of a reset.
    static constexpr std::chrono::seconds kLinger{2};

    DemoServer(const ServerOptions& options, SessionContext& context, ConnectionRegistry& registry);
    ~DemoServer();
    DemoServer(const DemoServer&) = delete;
    DemoServer& operator=(const DemoServer&) = delete;

    // Binds and listens; the actual port is then port().
    bool listen(std::string& error);
    uint16_t port() const { return m_port; }

    // Serves until stop becomes non-zero (set from a signal handler).
    void run(const volatile std::sig_atomic_t& stop);

  private:
    using Clock = std::chrono::steady_clock;

    struct Connection {
        int fd;
        std::unique_ptr<ClientSession> session;
        // The last time the output was empty or some of it was written.
        Clock::time_point lastProgress;
        // "bytewise": the bytes of output() already written, and when the next one may go.
        bool bytewise = false;
        size_t bytesWritten = 0;
        Clock::time_point nextByte{};
        // Shut down for writing after the session ended; closed at the client's end or after
        // kLinger.
        bool closing = false;
        Clock::time_point closingSince{};
        // With TLS: the session's text goes through this, and output() is written instead.
        std::unique_ptr<TlsEndpoint> tls;
    };

    // Whether everything due has been written; with TLS, the records.
    bool allWritten(const Connection& c) const;
    size_t pendingBytes(const Connection& c) const;
    // The bytes to write next: the session's output, or with TLS the records made of it.
    std::string& wireOutput(Connection& c);

    // Runs the simulation's timers that are due; returns the poll timeout until the next.
    int runTimers();
    // The poll timeout: timerMs, or less when a bytewise connection's next byte is due sooner.
    timespec pollTimeout(int timerMs) const;
    // Writes pending output of every connection and drops those that are stuck.
    void flushAll();

    void acceptAll();
    // Reads what is there; false when the connection is gone.
    bool readFrom(Connection& c);
    // Writes what it can; false on a write error.
    bool writeTo(Connection& c);
    // Writes the next byte of a bytewise connection when it is due; false on a write error.
    bool writeOneByte(Connection& c);
    // Reads and drops what a closing connection's client still sends; false at its end.
    bool drain(Connection& c);
    // The session ended and its output is written: shut down for writing and linger.
    void beginClose(Connection& c, const char* why);
    void closeConnection(int fd, const char* why);

    const ServerOptions& m_options;
    SessionContext& m_context;
    ConnectionRegistry& m_registry;
    StateFile m_stateFile;
    int m_listenFd = -1;
    uint16_t m_port = 0;
    int m_nextId = 1;
    std::shared_ptr<TlsIdentity> m_tls;  // set when the server speaks TLS
    size_t m_connectionLimit = kMaxConnections;
    // When the process runs out of descriptors, accepting pauses until then.
    std::chrono::steady_clock::time_point m_acceptPausedUntil{};
    std::map<int, Connection> m_connections;
};

}  // namespace TavoroDemo
