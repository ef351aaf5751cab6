#include "platform/system/SystemClock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <tuple>

namespace telmaq {
namespace {

// localtime_r reads TZ afresh only at tzset().
TEST(SystemClock, BreaksTimeDownInTheLocalZone)
{
    const std::int64_t monday = 1'699'860'605; // 2023-11-13 07:30:05 UTC
    ::setenv("TZ", "UTC0", 1);
    ::tzset();
    const LocalTime t = SystemClock().localTime(monday);
    EXPECT_EQ(std::make_tuple(7, 30, 5), std::make_tuple(t.hour, t.minute, t.second));
    for (int day = 0; day < 7; ++day)
        EXPECT_EQ((1 + day) % 7, SystemClock().localTime(monday + day * 86400).weekday) << day;
    // Nine hours ahead, seventeen hours on is already Tuesday.
    ::setenv("TZ", "JST-9", 1);
    ::tzset();
    const LocalTime tokyo = SystemClock().localTime(monday + 17 * 3600);
    ::unsetenv("TZ");
    ::tzset();
    EXPECT_EQ(std::make_pair(7 + 9 + 17 - 24, 2), std::make_pair(tokyo.hour, tokyo.weekday));
}

TEST(SystemClock, OneClockInSecondsAndMillisecondsThatSleepsAtLeastAsAsked)
{
    SystemClock clock;
    const std::int64_t before = std::time(nullptr), now = clock.now();
    EXPECT_TRUE(now >= before && now - before <= 5 && clock.nowMs() / 1000 >= before) << now;
    // Across a turn of the second, seconds never lag milliseconds read before them.
    const auto start = std::chrono::steady_clock::now();
    int behind = 0;
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(1100)) {
        const std::int64_t ms = clock.nowMs();
        behind += clock.now() < ms / 1000;
    }
    EXPECT_EQ(behind, 0);
    const auto slept = std::chrono::steady_clock::now();
    clock.sleepMs(30);
    EXPECT_GE(std::chrono::steady_clock::now() - slept, std::chrono::milliseconds(30));
}

} // namespace
} // namespace telmaq
