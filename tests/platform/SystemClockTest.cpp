#include "platform/system/SystemClock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <tuple>

namespace telmaq {
namespace {

LocalTime inZone(const char* zone, std::int64_t at)
{
    ::setenv("TZ", zone, 1);
    ::tzset();
    const LocalTime t = SystemClock().localTime(at);
    ::unsetenv("TZ");
    ::tzset();
    return t;
}

TEST(SystemClock, BreaksTimeDownInTheLocalZone)
{
    const std::int64_t monday = 1'699'860'605; // 2023-11-13 07:30:05 UTC
    const LocalTime t = inZone("UTC0", monday);
    EXPECT_EQ(std::make_tuple(7, 30, 5), std::make_tuple(t.hour, t.minute, t.second));
    for (int day = 0; day < 7; ++day)
        EXPECT_EQ((1 + day) % 7, inZone("UTC0", monday + day * 86400).weekday) << day;
    // Nine hours ahead, seventeen hours on is already Tuesday.
    const LocalTime tokyo = inZone("JST-9", monday + 17 * 3600);
    EXPECT_EQ(std::make_pair(7 + 9 + 17 - 24, 2), std::make_pair(tokyo.hour, tokyo.weekday));
}

TEST(SystemClock, OneClockInSecondsAndMillisecondsThatSleepsAtLeastAsAsked)
{
    SystemClock clock;
    const std::int64_t before = std::time(nullptr);
    const std::int64_t now = clock.now();
    EXPECT_TRUE(now >= before && now - before <= 5) << now;
    EXPECT_GE(clock.nowMs() / 1000, before);
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
