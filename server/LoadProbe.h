#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <utility>

#include "Outbox.h"

namespace TavoroDemo {

// Load runs: measures how far a client is behind the event stream. Every interval it sends
// "@PING:<n>" to the watching connections, in line with the events; a client answers
// "@PONG:<n>" once it has handled everything sent before, so the round trip is the client's
// lag. The report file gets one line per answer and one per connection whose monitoring
// started, with times on the machine's monotonic clock so another process can compare them:
//   up <connection> <monotonic microseconds> <microseconds from the list to "@STARTEVENTS">
//   pong <connection> <n> <round trip microseconds>
class LoadProbe {
  public:
    using Clock = std::chrono::steady_clock;

    // interval 0: no pings. An empty path: no report (the pings still go out).
    LoadProbe(std::chrono::milliseconds interval, const std::string& reportPath);
    ~LoadProbe();
    LoadProbe(const LoadProbe&) = delete;
    LoadProbe& operator=(const LoadProbe&) = delete;

    // False when a report was asked for and cannot be written.
    bool ok() const { return m_reportPath.empty() || m_report; }

    Clock::time_point nextDue() const;
    void advance(Clock::time_point now, Outbox& outbox);

    void monitoringUp(int connection, Clock::duration sinceList);
    // An answer's data: the number of a ping still remembered, otherwise ignored.
    void answered(int connection, const std::string& data);

  private:
    void report(const std::string& line);

    std::chrono::milliseconds m_interval;
    std::string m_reportPath;
    std::FILE* m_report = nullptr;
    uint64_t m_next = 1;
    Clock::time_point m_due;
    // The pings of the last minute or so, oldest first: their numbers and when they left.
    std::deque<std::pair<uint64_t, Clock::time_point>> m_sent;
};

}  // namespace TavoroDemo
