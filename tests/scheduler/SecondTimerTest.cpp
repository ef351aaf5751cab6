#include "ui/SecondTimer.h"

#include "platform/system/SystemClock.h"

#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <set>

namespace telmaq::test {
namespace {

TEST(SecondTimer, TicksOncePerSecondEvenWhileATickDispatchesEvents)
{
    // A scheduled connect or the restart notice runs a nested event loop inside the tick;
    // the ticks meanwhile must still come, each in a second of its own.
    SystemClock clock;
    std::multiset<std::int64_t> seconds;
    int nestedTicks = 0;
    bool inside = false;
    SecondTimer timer(clock, [&] {
        seconds.insert(clock.now());
        if (inside) {
            ++nestedTicks;
            return;
        }
        inside = true;
        EXPECT_TRUE(waitUntil([&] { return nestedTicks >= 2; }, 60000));
        inside = false;
    });
    timer.start();
    ASSERT_TRUE(waitUntil([&] { return seconds.size() >= 3 && !inside; }, 60000));
    timer.stop();

    for (std::int64_t second : seconds)
        EXPECT_EQ(seconds.count(second), 1u) << "two ticks in second " << second;
    EXPECT_EQ(timer.cadence().ticksDelivered(), static_cast<std::int64_t>(seconds.size()));
}

TEST(SecondTimer, StopsFromInsideATick)
{
    SystemClock clock;
    int ticks = 0;
    SecondTimer* self = nullptr;
    SecondTimer timer(clock, [&] {
        ++ticks;
        self->stop();
    });
    self = &timer;
    timer.start();
    EXPECT_TRUE(timer.isActive());
    ASSERT_TRUE(waitUntil([&] { return ticks == 1; }, 60000));
    EXPECT_FALSE(timer.isActive());
    waitUntil([] { return false; }, 1500);
    EXPECT_EQ(ticks, 1);
}

} // namespace
} // namespace telmaq::test
