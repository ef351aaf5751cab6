#pragma once

#include "platform/system/Clock.h"

namespace telmaq {

// The C library's clock: time, localtime_r and nanosleep.
class SystemClock : public IClock
{
public:
    std::int64_t now() const override;
    std::int64_t nowMs() const override;
    LocalTime localTime(std::int64_t seconds) const override;
    void sleepMs(int milliseconds) override;
};

} // namespace telmaq
