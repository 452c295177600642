// The stall probe's own checks (quick, every run), and the soak run of the main window: an
// operator at work against a busy demo server for as long as TAVORO_SOAK_SECONDS says.
// Without that variable the soak test is skipped, so it costs the regular test run nothing;
// scripts/soak.sh sets it and reads the figures it prints.
#include <gtest/gtest.h>

#include <wx/utils.h>

#include <memory>

#include "GuiTestUtil.h"
#include "support/StallProbe.h"

using Tavoro::Test::StallProbe;
using Tavoro::Test::waitFor;

namespace {

// Keeps the GUI thread busy, as a slow handler would.
void blockGuiThread(long ms) {
    wxMilliSleep(ms);
}

TEST(StallProbeTest, MeasuresAStallAndNothingAfterStop) {
    StallProbe probe;
    ASSERT_TRUE(waitFor([&] { return probe.count() >= 3; }, 5000));

    // The ping posted during the stall waits for most of it (the pinging thread posts within
    // an interval of the stall's start unless the machine delays it badly).
    blockGuiThread(300);
    const unsigned long before = probe.count();
    ASSERT_TRUE(waitFor([&] { return probe.count() > before; }, 5000));
    EXPECT_GE(probe.longestMs(), 100);
    // One ping was outstanding during the stall: the queue is not flooded with pings that
    // would all run afterwards.
    EXPECT_LE(probe.count(), before + 2);

    probe.stop();
    const unsigned long stopped = probe.count();
    Tavoro::Test::pumpEvents(100);
    EXPECT_EQ(probe.count(), stopped);
    probe.stop();  // a second stop is harmless

    // reset forgets the earlier figures; started again, it counts again.
    probe.reset();
    EXPECT_EQ(probe.longestMs(), 0);
    EXPECT_EQ(probe.count(), 0u);
    probe.start();
    ASSERT_TRUE(waitFor([&] { return probe.count() >= 3; }, 5000));
}

TEST(StallProbeTest, APingQueuedWhenTheProbeIsDestroyedIsHarmless) {
    auto probe = std::make_unique<StallProbe>(1);
    ASSERT_TRUE(waitFor([&] { return probe->count() >= 1; }, 5000));
    // While the GUI thread is busy the probe posts its next ping; destroying the probe leaves
    // that ping queued, and running it later touches nothing that is gone.
    blockGuiThread(50);
    probe.reset();
    Tavoro::Test::pumpEvents(50);

    StallProbe idle(10, false);
    Tavoro::Test::pumpEvents(50);
    EXPECT_EQ(idle.count(), 0u) << "a probe not started does not ping";
}

}  // namespace
