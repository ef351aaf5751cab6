#include "platform/system/SystemClock.h"

#include <cerrno>
#include <ctime>

namespace telmaq {

std::int64_t SystemClock::now() const
{
    // Not time(): on Linux it reads the coarse clock, which lags the precise one by up to a
    // kernel tick, so just after a second begins it can still answer the second before. A
    // timer lined up on nowMs() would then read the old second and the schedule miss one.
    return nowMs() / 1000;
}

std::int64_t SystemClock::nowMs() const
{
    timespec ts{};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1'000'000;
}

LocalTime SystemClock::localTime(std::int64_t seconds) const
{
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm broken{};
    LocalTime result;
    // A time the C library cannot break down (far outside its range) matches no set time.
    if (!::localtime_r(&t, &broken)) {
        result.second = result.minute = result.hour = result.weekday = -1;
        return result;
    }
    result.second = broken.tm_sec;
    result.minute = broken.tm_min;
    result.hour = broken.tm_hour;
    result.weekday = broken.tm_wday;
    return result;
}

void SystemClock::sleepMs(int milliseconds)
{
    if (milliseconds <= 0)
        return;
    timespec left{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1'000'000};
    // A signal must not cut the sleep short.
    while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

} // namespace telmaq
