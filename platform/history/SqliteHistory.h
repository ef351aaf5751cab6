#pragma once

#include "platform/history/History.h"
#include "platform/system/SqliteFile.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace telmaq {

// The history file of one user, shared by telmaq and telmaq-dialup: one row per event, each
// also sent to the system log. A file that cannot be written (read-only, corrupt, locked for
// longer than the busy time-out, another program's) costs one line on stderr and nothing else.
class SqliteHistory : public IHistory
{
public:
    struct Options
    {
        std::string provider;          // the dial-up provider the rows name
        bool systemLog = true;         // also write each event to syslog(3)
        std::int64_t maxRows = 100000; // the oldest rows beyond these go
        std::int64_t maxAgeS = 366 * 24 * 3600;
        int busyTimeoutMs = 100;
    };

    SqliteHistory(std::string path, Options options);
    ~SqliteHistory() override;
    SqliteHistory(const SqliteHistory&) = delete;
    SqliteHistory& operator=(const SqliteHistory&) = delete;

    void record(const HistoryRecord& record) override;

    // The number of rows that pruning removes at most per write, so that a history far over
    // its limits is trimmed a little at a time instead of holding up one dial.
    static constexpr int kPruneBatch = 20;

private:
    bool open(std::string& error);
    bool write(HistoryRecord& row, const std::string& local, std::string& error);

    const Options m_options;
    mutable std::mutex m_mutex;
    SqliteFile m_file;
    bool m_failing = false;
};

// One stored event, as the history command reads it.
struct HistoryRow
{
    std::int64_t atMs = 0;
    std::string local; // ISO 8601 local time with its offset, as written
    std::string entry;
    std::string provider;
    std::string cause;
    std::string event;
    std::uint32_t code = 0;
    std::string text;
    std::optional<std::int64_t> durationS;
};

struct HistoryQuery
{
    std::optional<std::int64_t> sinceMs;
    std::optional<std::string> entry; // any letter case
    bool failedOnly = false;          // failures, dropped lines and applications that did not start
};

// Reads the rows that match, in time order. A missing file is an empty history. False with the
// reason in error when the file cannot be read.
bool readHistory(const std::string& path, const HistoryQuery& query, std::vector<HistoryRow>& rows, std::string& error);

// The one line the system log gets for an event.
std::string historyLogLine(const HistoryRecord& record, const std::string& provider);

} // namespace telmaq
