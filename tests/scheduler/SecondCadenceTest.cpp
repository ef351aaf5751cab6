#include "scheduler/SecondCadence.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace telmaq::test {
namespace {

constexpr std::int64_t kBase = 1'700'000'000'000; // a whole second

TEST(SecondCadence, MeasuresTheSecondOnTheWallClock)
{
    EXPECT_EQ(SecondCadence::msUntilNextSecond(kBase), 1000);
    EXPECT_EQ(SecondCadence::msUntilNextSecond(kBase + 1), 999);
    EXPECT_EQ(SecondCadence::msUntilNextSecond(kBase + 999), 1);
    EXPECT_EQ(SecondCadence::offsetIntoSecond(kBase + 255), 255);
    // Before the epoch the second still begins at its lower end.
    EXPECT_EQ(SecondCadence::offsetIntoSecond(-1), 999);
    EXPECT_EQ(SecondCadence::msUntilNextSecond(-1), 1);
    EXPECT_EQ(SecondCadence::offsetIntoSecond(-1000), 0);
    SecondCadence cadence;
    EXPECT_EQ(cadence.start(kBase + 400), 600 + SecondCadence::kLeadMs);
}

// Runs a timer for the given number of wall-clock seconds that fires lateMs after the delay
// it was armed with, its own clock running at rate times the wall clock's speed.
SecondCadence simulate(std::int64_t startMs, int seconds, int lateMs, double rate)
{
    SecondCadence cadence;
    std::int64_t now = startMs;
    std::int64_t delay = cadence.start(now);
    while (now < startMs + seconds * 1000LL) {
        now += static_cast<std::int64_t>(std::llround(static_cast<double>(delay) / rate)) + lateMs;
        delay = cadence.onFire(now).nextDelayMs;
    }
    return cadence;
}

TEST(SecondCadence, LatenessAndClockDriftNeverAddUp)
{
    struct Case
    {
        int lateMs;
        double rate;
    };
    // A busy thread answering 40 ms late; a timer clock 1 % fast or slow against the wall.
    for (Case c : {Case{0, 1.0}, Case{40, 1.0}, Case{0, 1.01}, Case{0, 0.99}, Case{20, 1.01}}) {
        SCOPED_TRACE(testing::Message() << "late " << c.lateMs << " rate " << c.rate);
        const SecondCadence cadence = simulate(kBase + 123, 20000, c.lateMs, c.rate);
        EXPECT_EQ(cadence.secondsSkipped(), 0);
        EXPECT_LE(cadence.largestOffsetMs(), SecondCadence::kLeadMs + c.lateMs + 11);
        // One tick in every second from the first on, the second it started in left out.
        EXPECT_GE(cadence.ticksDelivered(), 20000);
        EXPECT_LE(cadence.ticksDelivered(), 20001);
    }
}

TEST(SecondCadence, AFiringBeforeItsSecondDeliversNothing)
{
    SecondCadence cadence;
    cadence.start(kBase - 300);
    EXPECT_FALSE(cadence.onFire(kBase - 1).deliver) << "the first firing, a millisecond early";
    EXPECT_TRUE(cadence.onFire(kBase + 5).deliver);
    const SecondCadence::Firing early = cadence.onFire(kBase + 998);
    EXPECT_FALSE(early.deliver);
    EXPECT_EQ(early.nextDelayMs, 2 + SecondCadence::kLeadMs);
    EXPECT_TRUE(cadence.onFire(kBase + 1000 + early.nextDelayMs - 2).deliver);
    EXPECT_EQ(cadence.ticksDelivered(), 2);
}

TEST(SecondCadence, AHeldUpThreadSkipsSecondsWithoutCatchingUpAndAClockSetBackIsFollowed)
{
    SecondCadence cadence;
    EXPECT_TRUE(cadence.onFire(kBase + 5).deliver);
    const SecondCadence::Firing late = cadence.onFire(kBase + 3200);
    EXPECT_TRUE(late.deliver);
    EXPECT_EQ(late.nextDelayMs, 800 + SecondCadence::kLeadMs);
    EXPECT_EQ(cadence.secondsSkipped(), 2);
    EXPECT_EQ(cadence.largestOffsetMs(), 200);
    EXPECT_EQ(cadence.ticksDelivered(), 2);

    // A clock set back is followed, and counts as no skip.
    EXPECT_TRUE(cadence.onFire(kBase - 3'600'000 + 6).deliver);
    EXPECT_TRUE(cadence.onFire(kBase - 3'599'000 + 6).deliver);
    EXPECT_EQ(cadence.secondsSkipped(), 2);
}

} // namespace
} // namespace telmaq::test
