#include "tools/ServerClock.h"

#include <cstdio>

namespace Tavoro::Tools {
namespace {

int digit(char c) {
    return c >= '0' && c <= '9' ? c - '0' : -1;
}

// Two digits at text[at], or -1.
int twoDigits(std::string_view text, size_t at) {
    const int high = digit(text[at]), low = digit(text[at + 1]);
    return high < 0 || low < 0 ? -1 : high * 10 + low;
}

}  // namespace

int ServerClock::secondsOfDay(std::string_view stamp) {
    if (stamp.size() != 7 && stamp.size() != 8)
        return -1;
    const size_t hourDigits = stamp.size() - 6;  // "H:MM:SS" or "HH:MM:SS"
    const int hours = hourDigits == 1 ? digit(stamp[0]) : twoDigits(stamp, 0);
    if (hours < 0 || hours > 23 || stamp[hourDigits] != ':' || stamp[hourDigits + 3] != ':')
        return -1;
    const int minutes = twoDigits(stamp, hourDigits + 1);
    const int seconds = twoDigits(stamp, hourDigits + 4);
    if (minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59)
        return -1;
    return hours * 3600 + minutes * 60 + seconds;
}

std::string_view ServerClock::format(long seconds, char (&buffer)[16]) {
    if (seconds < 0)
        return std::string_view();
    const long hours = seconds / 3600, minutes = seconds / 60 % 60, rest = seconds % 60;
    const int length =
        hours > 0 ? std::snprintf(buffer, sizeof buffer, "%ld:%02ld:%02ld", hours, minutes, rest)
                  : std::snprintf(buffer, sizeof buffer, "%ld:%02ld", minutes, rest);
    return std::string_view(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

void ServerClock::noteStamp(std::string_view stamp, long long localMs) {
    const int seconds = secondsOfDay(stamp);
    if (seconds < 0)
        return;
    if (m_known) {
        // How far the stamp lies ahead of the time known now, within half a day either way.
        int ahead = (seconds - now(localMs) + kSecondsPerDay) % kSecondsPerDay;
        if (ahead > kSecondsPerDay / 2)
            ahead -= kSecondsPerDay;
        if (ahead <= 0)
            return;
    }
    m_known = true;
    m_stamp = seconds;
    m_stampAt = localMs;
}

int ServerClock::now(long long localMs) const {
    if (!m_known)
        return -1;
    const long long passed = localMs > m_stampAt ? (localMs - m_stampAt) / 1000 : 0;
    return static_cast<int>((m_stamp + passed) % kSecondsPerDay);
}

long ServerClock::secondsSince(std::string_view stamp, long long localMs) const {
    const int seconds = secondsOfDay(stamp);
    if (seconds < 0 || !m_known)
        return -1;
    return (now(localMs) - seconds + kSecondsPerDay) % kSecondsPerDay;
}

}  // namespace Tavoro::Tools
