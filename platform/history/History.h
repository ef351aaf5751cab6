#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace telmaq {

// What set a dial or a hang-up going.
enum class HistoryCause
{
    Button,
    SystemMenu,
    Schedule,
    ApplicationEnd,
    ScheduledDisconnect,
    CommandLine,
};

// What happened to the line or to the application started after it.
enum class HistoryEvent
{
    DialStarted,
    Redial,
    Connected,
    Failed,
    Cancelled,
    HungUp,
    LineDropped,
    ApplicationStarted,
    ApplicationFailed,
    ApplicationEnded,
};

// One event as its writer knows it. Time and duration are filled in by the store when left
// out: the store knows when the entry's line came up, whichever process saw it.
struct HistoryRecord
{
    HistoryEvent event = HistoryEvent::DialStarted;
    HistoryCause cause = HistoryCause::Button;
    std::string entry;
    std::uint32_t code = 0;                // the service's code of a failure or a drop, 0 for none
    std::string text;                      // the code's text, or the application's command line
    std::optional<std::int64_t> atMs;      // milliseconds since the epoch; now when empty
    std::optional<std::int64_t> durationS; // of a hang-up or a drop; from the connect when empty
};

// The connection history. Writing never blocks a dial for long and never fails one: a
// history that cannot be written is skipped, and the dial goes on as before.
class IHistory
{
public:
    virtual ~IHistory() = default;
    // Records one event; callable from any thread.
    virtual void record(const HistoryRecord& record) = 0;
};

// Records nothing, for tools and tests that keep no history.
class NullHistory : public IHistory
{
public:
    void record(const HistoryRecord&) override {}
};

// The names the history stores and prints ("system-menu", "hung-up", ...); parse answers
// false for a name it does not know.
const char* historyCauseName(HistoryCause cause);
const char* historyEventName(HistoryEvent event);
bool parseHistoryCause(const std::string& name, HistoryCause& cause);
bool parseHistoryEvent(const std::string& name, HistoryEvent& event);

// "1:02:03" for a duration in seconds.
std::string formatDuration(std::int64_t seconds);

} // namespace telmaq
