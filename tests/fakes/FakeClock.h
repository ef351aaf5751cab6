#pragma once

#include "platform/system/Clock.h"

#include <atomic>
#include <cstdint>

namespace telmaq::test {

// A clock that stands still until the test moves it. Local time is computed in UTC so that
// a test's weekday and hour do not depend on the machine's time zone. sleepMs moves the
// clock on instead of blocking.
class FakeClock : public IClock
{
public:
    explicit FakeClock(std::int64_t startMs = 1'700'000'000'000) : m_ms(startMs) {}

    std::int64_t now() const override { return m_ms.load() / 1000; }
    std::int64_t nowMs() const override { return m_ms.load(); }

    LocalTime localTime(std::int64_t seconds) const override
    {
        LocalTime t;
        std::int64_t daySeconds = seconds % 86400;
        if (daySeconds < 0)
            daySeconds += 86400;
        t.hour = static_cast<int>(daySeconds / 3600);
        t.minute = static_cast<int>(daySeconds / 60 % 60);
        t.second = static_cast<int>(daySeconds % 60);
        std::int64_t days = (seconds - daySeconds) / 86400;
        // 1970-01-01 was a Thursday.
        t.weekday = static_cast<int>(((days + 4) % 7 + 7) % 7);
        return t;
    }

    void sleepMs(int milliseconds) override
    {
        m_sleptMs += milliseconds;
        m_ms += milliseconds;
    }

    void setMs(std::int64_t ms) { m_ms = ms; }
    void advanceMs(std::int64_t ms) { m_ms += ms; }
    void advanceSeconds(std::int64_t seconds) { m_ms += seconds * 1000; }

    // Sets the clock to a given UTC weekday and time of day, in the week of 2023-11-12
    // (a Sunday), at the start of that second.
    void setLocal(int weekday, int hour, int minute, int second)
    {
        const std::int64_t sunday = 1'699'747'200; // 2023-11-12 00:00:00 UTC
        m_ms = (sunday + weekday * 86400 + hour * 3600 + minute * 60 + second) * 1000;
    }

    std::int64_t sleptMs() const { return m_sleptMs.load(); }

private:
    std::atomic<std::int64_t> m_ms;
    std::atomic<std::int64_t> m_sleptMs{0};
};

} // namespace telmaq::test
