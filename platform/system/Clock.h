#pragma once

#include <cstdint>

namespace telmaq {

// The local wall-clock time broken down as the C library does it.
struct LocalTime
{
    int second = 0;
    int minute = 0;
    int hour = 0;
    int weekday = 0; // 0 = Sunday ... 6 = Saturday
};

class IClock
{
public:
    virtual ~IClock() = default;

    // Calendar time in whole seconds since the epoch.
    virtual std::int64_t now() const = 0;

    // Calendar time in milliseconds since the epoch, for lining timers up with the second.
    virtual std::int64_t nowMs() const = 0;

    // The local time of a calendar time given in whole seconds.
    virtual LocalTime localTime(std::int64_t seconds) const = 0;

    // Blocks the calling thread; fakes advance their time instead.
    virtual void sleepMs(int milliseconds) = 0;
};

} // namespace telmaq
