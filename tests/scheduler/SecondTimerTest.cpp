#include "ui/framework/SecondTimer.h"
#include "scheduler/SecondCadence.h"

#include "platform/system/SystemClock.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace telmaq::test {
namespace {

constexpr std::int64_t kBase = 1'700'000'000'000; // a whole second

TEST(SecondCadence, MeasuresTheSecondOnTheWallClockBeforeTheEpochToo)
{
    for (auto [ms, offset, until] : {std::tuple{kBase + 1, 1, 999}, {-kBase - 1, 999, 1}, {-kBase, 0, 1000}})
        EXPECT_EQ(std::tuple(SecondCadence::offsetIntoSecond(ms), SecondCadence::msUntilNextSecond(ms)),
                  std::tuple(offset, until))
            << ms;
}

TEST(SecondCadence, LatenessAndClockDriftNeverAddUp)
{
    // A busy thread answering late; a timer clock 1 % fast or slow against the wall.
    for (auto [lateMs, rate] : {std::pair{0, 1.0}, {40, 1.0}, {0, 1.01}, {0, 0.99}, {20, 1.01}}) {
        SecondCadence cadence;
        std::int64_t now = kBase + 123;
        for (std::int64_t delay = cadence.start(now); now < kBase + 20'000'000;)
            delay = cadence.onFire(now += std::llround(static_cast<double>(delay) / rate) + lateMs).nextDelayMs;
        EXPECT_LE(cadence.largestOffsetMs(), SecondCadence::kLeadMs + lateMs + 11);
        // One tick in every second from the first on, the second it started in left out.
        EXPECT_EQ(std::tuple(cadence.secondsSkipped(), cadence.ticksDelivered() / 2), std::tuple(0, 10000));
    }
}

TEST(SecondCadence, AnEarlyFiringDeliversNothingAndAHeldUpThreadSkipsWithoutCatchingUp)
{
    SecondCadence cadence;
    EXPECT_EQ(cadence.start(kBase - 300), 300 + SecondCadence::kLeadMs);
    EXPECT_FALSE(cadence.onFire(kBase - 1).deliver) << "the first firing, a millisecond early";
    EXPECT_TRUE(cadence.onFire(kBase + 5).deliver);
    const SecondCadence::Firing early = cadence.onFire(kBase + 998);
    EXPECT_EQ(std::tuple(early.deliver, early.nextDelayMs), std::tuple(false, 2 + SecondCadence::kLeadMs));
    EXPECT_TRUE(cadence.onFire(kBase + 1000 + early.nextDelayMs - 2).deliver);
    const SecondCadence::Firing late = cadence.onFire(kBase + 4200);
    EXPECT_EQ(std::tuple(late.deliver, late.nextDelayMs, cadence.secondsSkipped(), cadence.largestOffsetMs()),
              std::tuple(true, 800 + SecondCadence::kLeadMs, std::int64_t{2}, 200));
    // A clock set back is followed, and counts as no skip.
    EXPECT_TRUE(cadence.onFire(kBase - 3'600'000 + 6).deliver);
    EXPECT_TRUE(cadence.onFire(kBase - 3'599'000 + 6).deliver);
    EXPECT_EQ(std::tuple(cadence.secondsSkipped(), cadence.ticksDelivered()), std::tuple(2, 5));
}

TEST(SecondTimer, TicksOncePerSecondEvenWhileATickDispatchesEventsAndStopsFromInsideOne)
{
    // A scheduled connect or the restart notice runs a nested event loop inside the tick;
    // the ticks meanwhile must still come, each in a second of its own.
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
    EXPECT_EQ(std::tuple(seconds.size(), std::set<std::int64_t>(seconds.begin(), seconds.end()).size(),
                         timer.cadence().ticksDelivered()),
              std::tuple(4u, 4u, 4))
        << "four ticks, each in a second of its own";
}

} // namespace
} // namespace telmaq::test
