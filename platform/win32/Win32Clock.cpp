#include "platform/win32/Win32Clock.h"

#include <windows.h>

namespace telmaq {

namespace {

// FILETIME counts 100 ns steps from 1601; these are the steps to 1970.
constexpr std::int64_t kEpochSteps = 116444736000000000LL;
constexpr std::int64_t kStepsPerMs = 10000;

} // namespace

std::int64_t Win32Clock::now() const
{
    const std::int64_t ms = nowMs();
    // Whole seconds down, before 1970 too.
    return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
}

std::int64_t Win32Clock::nowMs() const
{
    FILETIME ft;
    GetSystemTimePreciseAsFileTime(&ft);
    const std::int64_t steps = (static_cast<std::int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return (steps - kEpochSteps) / kStepsPerMs;
}

LocalTime Win32Clock::localTime(std::int64_t seconds) const
{
    LocalTime result;
    result.second = result.minute = result.hour = result.weekday = -1;
    // A time the system cannot break down (before 1601, or past 30827) matches no set time.
    constexpr std::int64_t kLimit = 900000000000LL;
    if (seconds < -11644473600LL || seconds > kLimit)
        return result;
    const std::uint64_t steps = static_cast<std::uint64_t>(seconds * 10000000LL + kEpochSteps);
    FILETIME ft{static_cast<DWORD>(steps), static_cast<DWORD>(steps >> 32)};
    SYSTEMTIME utc, local;
    if (!FileTimeToSystemTime(&ft, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return result;
    result.second = local.wSecond;
    result.minute = local.wMinute;
    result.hour = local.wHour;
    result.weekday = local.wDayOfWeek;
    return result;
}

void Win32Clock::sleepMs(int milliseconds)
{
    if (milliseconds > 0)
        Sleep(static_cast<DWORD>(milliseconds));
}

} // namespace telmaq
