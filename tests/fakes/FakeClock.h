#pragma once

#include "platform/system/Clock.h"

#include <atomic>
#include <cstdint>

namespace telmaq::test {

// A clock that stands still until the test moves it; sleepMs moves it on instead of blocking.
// Local time is UTC, so that a test's weekday and hour do not depend on the machine's zone.
class FakeClock : public IClock
{
public:
    std::int64_t now() const override { return m_ms.load() / 1000; }
    std::int64_t nowMs() const override { return m_ms.load(); }
    LocalTime localTime(std::int64_t seconds) const override
    {
        const std::int64_t daySeconds = (seconds % 86400 + 86400) % 86400;
        LocalTime t;
        t.hour = static_cast<int>(daySeconds / 3600);
        t.minute = static_cast<int>(daySeconds / 60 % 60);
        t.second = static_cast<int>(daySeconds % 60);
        // 1970-01-01 was a Thursday.
        t.weekday = static_cast<int>(((seconds - daySeconds) / 86400 + 4) % 7 + 7) % 7;
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
    // A UTC weekday and time of day in the week of Sunday 2023-11-12, at the start of that second.
    void setLocal(int weekday, int hour, int minute, int second)
    {
        m_ms = (1'699'747'200 + weekday * 86400 + hour * 3600 + minute * 60 + second) * 1000LL;
    }
    std::int64_t sleptMs() const { return m_sleptMs.load(); }

private:
    std::atomic<std::int64_t> m_ms{1'700'000'000'000};
    std::atomic<std::int64_t> m_sleptMs{0};
};

} // namespace telmaq::test
