// The server's time of day as the client estimates it from page view stamps.
#include <gtest/gtest.h>

#include "tools/ServerClock.h"

using Tavoro::Tools::ServerClock;

namespace {

TEST(ServerClockTest, StampsParseOnlyAsTimesOfDay) {
    EXPECT_EQ(ServerClock::secondsOfDay("00:00:00"), 0);
    EXPECT_EQ(ServerClock::secondsOfDay("9:05:07"), 9 * 3600 + 5 * 60 + 7);
    EXPECT_EQ(ServerClock::secondsOfDay("23:59:59"), ServerClock::kSecondsPerDay - 1);
    for (const char* bad : {"", "24:00:00", "12:60:00", "12:00:60", "12:00", "1200:00", "12-00-00",
                            " 2:00:00", "12:00:001", "ab:cd:ef", "-1:00:00"}) {
        EXPECT_EQ(ServerClock::secondsOfDay(bad), -1) << bad;
    }
    char buffer[16];
    EXPECT_EQ(ServerClock::format(0, buffer), "0:00");
    EXPECT_EQ(ServerClock::format(3599, buffer), "59:59");
    EXPECT_EQ(ServerClock::format(3600, buffer), "1:00:00");
    EXPECT_EQ(ServerClock::format(-1, buffer), "");
}

// The latest stamp plus the local time since is the server's now; an older stamp (an earlier
// page view) never turns it back, a stamp just past midnight moves it on, and nothing is
// known before the first valid stamp.
TEST(ServerClockTest, TheLatestStampRunsOnWithTheLocalClock) {
    ServerClock clock;
    EXPECT_EQ(clock.now(0), -1);
    EXPECT_EQ(clock.secondsSince("10:00:00", 0), -1);
    clock.noteStamp("garbage", 0);
    EXPECT_FALSE(clock.known());

    clock.noteStamp("23:59:00", 1000);
    EXPECT_EQ(clock.now(31'000), ServerClock::secondsOfDay("23:59:30"));
    EXPECT_EQ(clock.secondsSince("23:00:00", 31'000), 59 * 60 + 30);
    clock.noteStamp("23:10:00", 31'000);  // behind: ignored
    EXPECT_EQ(clock.now(31'000), ServerClock::secondsOfDay("23:59:30"));
    clock.noteStamp("00:00:10", 41'000);  // the next day
    EXPECT_EQ(clock.now(41'000), 10);
    EXPECT_EQ(clock.secondsSince("23:59:00", 41'000), 70);
    EXPECT_EQ(clock.secondsSince("bad", 41'000), -1);
}

}  // namespace
