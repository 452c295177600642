#pragma once

#include <string_view>

namespace Tavoro::Tools {

// The monitoring server's time of day, as far as the client can tell. The server stamps every
// page view with its own clock ("HH:MM:SS"), which may run in another time zone than the
// operator's desktop, so the client's own clock cannot say how long ago a stamp was. The
// latest stamp seen, plus the time passed on the local (monotonic) clock since, is taken as
// the server's time now; older stamps (a visitor's earlier page views) never move it back.
class ServerClock {
  public:
    static constexpr int kSecondsPerDay = 24 * 60 * 60;

    // Seconds since midnight of "H:MM:SS" or "HH:MM:SS"; -1 for anything else.
    static int secondsOfDay(std::string_view stamp);
    // "m:ss" under an hour, "h:mm:ss" from then on; empty for a negative count.
    static std::string_view format(long seconds, char (&buffer)[16]);

    // A stamp read at localMs (milliseconds of a monotonic clock). Ignored when not a valid
    // stamp or when it lies behind the time already known (by at most half a day: a stamp
    // further back is taken as the next day's).
    void noteStamp(std::string_view stamp, long long localMs);
    bool known() const { return m_known; }
    // The server's seconds of the day at localMs; -1 while no stamp has been seen.
    int now(long long localMs) const;
    // Seconds from a stamp of the same day (or the day before, past midnight) to the server's
    // now; -1 when the stamp is not valid or nothing is known yet.
    long secondsSince(std::string_view stamp, long long localMs) const;

  private:
    bool m_known = false;
    int m_stamp = 0;          // seconds of the day of the latest stamp
    long long m_stampAt = 0;  // local milliseconds when it was noted
};

}  // namespace Tavoro::Tools
