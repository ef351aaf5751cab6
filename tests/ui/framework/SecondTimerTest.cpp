#include "ui/framework/SecondTimer.h"

#include "platform/system/SystemClock.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <set>

namespace telmaq::test {
namespace {

TEST(SecondTimer, TicksOncePerSecondEvenWhileATickDispatchesEvents)
{
    // A scheduled connect or the restart notice runs a nested event loop inside the tick;
    // the ticks meanwhile must still come, each in a second of its own. The fourth tick stops
    // the timer from inside.
    SystemClock clock;
    std::vector<std::int64_t> seconds;
    SecondTimer timer(clock, [&] {
        seconds.push_back(clock.now());
        if (seconds.size() == 4)
            timer.stop();
        EXPECT_TRUE(seconds.size() > 1 || waitUntil([&] { return seconds.size() >= 3; }, 60000));
    });
    timer.start();
    ASSERT_TRUE(waitUntil([&] { return !timer.isActive(); }, 60000));
    waitUntil([] { return false; }, 1500);
    EXPECT_EQ(seconds.size(), 4u) << "no tick after the stop";
    EXPECT_EQ(std::set<std::int64_t>(seconds.begin(), seconds.end()).size(), 4u) << "each in a second of its own";
    EXPECT_EQ(timer.cadence().ticksDelivered(), 4);
}

} // namespace
} // namespace telmaq::test
