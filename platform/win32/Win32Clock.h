#pragma once

#include "platform/system/Clock.h"

namespace telmaq {

// The system's clock and time zone.
class Win32Clock : public IClock
{
public:
    std::int64_t now() const override;
    std::int64_t nowMs() const override;
    // The time zone rules of the year in question, as the system keeps them.
    LocalTime localTime(std::int64_t seconds) const override;
    void sleepMs(int milliseconds) override;
};

} // namespace telmaq
