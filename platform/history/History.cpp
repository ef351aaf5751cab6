#include "platform/history/History.h"

#include <cstdio>
#include <iterator>

namespace telmaq {

namespace {

const char* const kCauseNames[] = {
    "button", "system-menu", "schedule", "application-end", "scheduled-disconnect", "command-line",
};

const char* const kEventNames[] = {
    "dial-started", "redial",       "connected",   "failed",     "cancelled",
    "hung-up",      "line-dropped", "app-started", "app-failed", "app-ended",
};

template <typename Enum, std::size_t N>
bool parseName(const char* const (&names)[N], const std::string& name, Enum& value)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (name == names[i]) {
            value = static_cast<Enum>(i);
            return true;
        }
    }
    return false;
}

} // namespace

const char* historyCauseName(HistoryCause cause)
{
    const auto i = static_cast<std::size_t>(cause);
    return i < std::size(kCauseNames) ? kCauseNames[i] : "?";
}

const char* historyEventName(HistoryEvent event)
{
    const auto i = static_cast<std::size_t>(event);
    return i < std::size(kEventNames) ? kEventNames[i] : "?";
}

bool parseHistoryCause(const std::string& name, HistoryCause& cause)
{
    return parseName(kCauseNames, name, cause);
}

bool parseHistoryEvent(const std::string& name, HistoryEvent& event)
{
    return parseName(kEventNames, name, event);
}

std::string formatDuration(std::int64_t seconds)
{
    if (seconds < 0)
        seconds = 0;
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}

} // namespace telmaq
