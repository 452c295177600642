#include "LoadProbe.h"

#include <cstdlib>

namespace TavoroDemo {
namespace {

// Enough for a client a minute behind at one ping every 10 ms.
constexpr size_t kRemembered = 6000;

}  // namespace

LoadProbe::LoadProbe(std::chrono::milliseconds interval, const std::string& reportPath)
    : m_interval(interval), m_reportPath(reportPath), m_due(Clock::now() + interval) {
    if (!m_reportPath.empty())
        m_report = std::fopen(m_reportPath.c_str(), "a");
}

LoadProbe::~LoadProbe() {
    if (m_report)
        std::fclose(m_report);
}

LoadProbe::Clock::time_point LoadProbe::nextDue() const {
    return m_interval.count() > 0 ? m_due : Clock::time_point::max();
}

void LoadProbe::advance(Clock::time_point now, Outbox& outbox) {
    if (m_interval.count() <= 0 || now < m_due)
        return;
    // A late wake-up sends one ping, not the ones it missed.
    m_due = now + m_interval;
    const uint64_t number = m_next++;
    m_sent.emplace_back(number, now);
    if (m_sent.size() > kRemembered)
        m_sent.pop_front();
    outbox.toWatchers("@PING:" + std::to_string(number));
}

void LoadProbe::monitoringUp(int connection, Clock::duration sinceList) {
    using std::chrono::microseconds;
    const auto now = std::chrono::duration_cast<microseconds>(Clock::now().time_since_epoch());
    const auto list = std::chrono::duration_cast<microseconds>(sinceList);
    report("up " + std::to_string(connection) + " " + std::to_string(now.count()) + " " +
           std::to_string(list.count()));
}

void LoadProbe::answered(int connection, const std::string& data) {
    char* end = nullptr;
    const unsigned long long number = std::strtoull(data.c_str(), &end, 10);
    if (data.empty() || *end != '\0')
        return;
    for (const auto& sent : m_sent) {
        if (sent.first != number)
            continue;
        const auto roundTrip =
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - sent.second);
        report("pong " + std::to_string(connection) + " " + std::to_string(number) + " " +
               std::to_string(roundTrip.count()));
        return;
    }
}

void LoadProbe::report(const std::string& line) {
    if (!m_report)
        return;
    std::fputs((line + "\n").c_str(), m_report);
    std::fflush(m_report);
}

}  // namespace TavoroDemo
