#include "scheduler/SecondCadence.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace telmaq::test {
namespace {

constexpr std::int64_t kBase = 1'700'000'000'000; // a whole second

TEST(SecondCadence, MeasuresTheSecondOnTheWallClockBeforeTheEpochToo)
{
    for (auto [ms, offset, until] : {std::tuple{kBase + 1, 1, 999}, {-kBase - 1, 999, 1}, {-kBase, 0, 1000}}) {
        EXPECT_EQ(SecondCadence::offsetIntoSecond(ms), offset) << ms;
        EXPECT_EQ(SecondCadence::msUntilNextSecond(ms), until) << ms;
    }
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
        EXPECT_EQ(cadence.secondsSkipped(), 0);
        EXPECT_EQ(cadence.ticksDelivered() / 2, 10000);
    }
}

TEST(SecondCadence, AnEarlyFiringDeliversNothingAndAimsAtItsSecondAgain)
{
    SecondCadence cadence;
    EXPECT_EQ(cadence.start(kBase - 300), 300 + SecondCadence::kLeadMs);
    EXPECT_FALSE(cadence.onFire(kBase - 1).deliver) << "the first firing, a millisecond early";
    EXPECT_TRUE(cadence.onFire(kBase + 5).deliver);
    const SecondCadence::Firing early = cadence.onFire(kBase + 998);
    EXPECT_FALSE(early.deliver);
    EXPECT_EQ(early.nextDelayMs, 2 + SecondCadence::kLeadMs);
    EXPECT_TRUE(cadence.onFire(kBase + 1000 + early.nextDelayMs - 2).deliver);
    EXPECT_EQ(cadence.ticksDelivered(), 2);
}

TEST(SecondCadence, AHeldUpThreadSkipsTheSecondsItMissedWithoutCatchingUp)
{
    SecondCadence cadence;
    cadence.start(kBase - 300);
    ASSERT_TRUE(cadence.onFire(kBase + 5).deliver);
    const SecondCadence::Firing late = cadence.onFire(kBase + 3200);
    EXPECT_TRUE(late.deliver);
    EXPECT_EQ(late.nextDelayMs, 800 + SecondCadence::kLeadMs);
    EXPECT_EQ(cadence.secondsSkipped(), 2);
    EXPECT_EQ(cadence.largestOffsetMs(), 200);
    EXPECT_EQ(cadence.ticksDelivered(), 2);
}

TEST(SecondCadence, AClockSetBackIsFollowedAndCountsAsNoSkip)
{
    SecondCadence cadence;
    cadence.start(kBase - 300);
    ASSERT_TRUE(cadence.onFire(kBase + 5).deliver);
    EXPECT_TRUE(cadence.onFire(kBase - 3'600'000 + 6).deliver);
    EXPECT_TRUE(cadence.onFire(kBase - 3'599'000 + 6).deliver);
    EXPECT_EQ(cadence.secondsSkipped(), 0);
    EXPECT_EQ(cadence.ticksDelivered(), 3);
}

} // namespace
} // namespace telmaq::test
