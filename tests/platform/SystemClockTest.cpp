#include "platform/system/SystemClock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>

namespace telmaq {
namespace {

// Sets TZ for a scope and puts the old zone back afterwards.
struct ZoneScope
{
    explicit ZoneScope(const char* zone) : had(std::getenv("TZ") != nullptr), old(had ? std::getenv("TZ") : "")
    {
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ZoneScope()
    {
        had ? ::setenv("TZ", old.c_str(), 1) : ::unsetenv("TZ");
        ::tzset();
    }
    bool had;
    std::string old;
};

TEST(SystemClock, BreaksTimeDownInTheLocalZone)
{
    SystemClock clock;
    // 2023-11-13 07:30:05 UTC was a Monday.
    const std::int64_t monday = 1'699'860'605;
    {
        ZoneScope utc("UTC0");
        const LocalTime t = clock.localTime(monday);
        EXPECT_EQ(7, t.hour);
        EXPECT_EQ(30, t.minute);
        EXPECT_EQ(5, t.second);
        EXPECT_EQ(1, t.weekday);
        // Five and six days on: Saturday is 6, the Sunday after it 0.
        EXPECT_EQ(6, clock.localTime(monday + 5 * 86400).weekday);
        EXPECT_EQ(0, clock.localTime(monday + 6 * 86400).weekday);
    }
    {
        // Nine hours ahead the same instant is already Monday afternoon; seventeen more and it is Tuesday.
        ZoneScope tokyo("JST-9");
        const LocalTime t = clock.localTime(monday + 17 * 3600);
        EXPECT_EQ(7 + 9 + 17 - 24, t.hour);
        EXPECT_EQ(2, t.weekday);
    }
}

TEST(SystemClock, AgreesWithTheCLibraryAndSleepsAtLeastAsAsked)
{
    SystemClock clock;
    const std::int64_t before = std::time(nullptr);
    const std::int64_t seconds = clock.now();
    const std::int64_t ms = clock.nowMs();
    EXPECT_GE(seconds, before);
    EXPECT_LE(seconds - before, 5);
    EXPECT_GE(ms / 1000, before);

    const auto start = std::chrono::steady_clock::now();
    clock.sleepMs(30);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
}

TEST(SystemClock, SecondsAndMillisecondsAreOneClock)
{
    // Across at least one turn of the second, a reading in seconds never lags one in
    // milliseconds taken before it.
    SystemClock clock;
    const auto start = std::chrono::steady_clock::now();
    int behind = 0;
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(1100)) {
        const std::int64_t ms = clock.nowMs();
        if (clock.now() < ms / 1000)
            ++behind;
    }
    EXPECT_EQ(behind, 0);
}

} // namespace
} // namespace telmaq
