#include "platform/history/SqliteHistory.h"

#include "platform/system/SqliteStatement.h"

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iostream>
#include <syslog.h>

namespace telmaq {

namespace {

// "tlmh": marks the file as telmaq's history, so that another program's database at the path
// is never written into.
constexpr int kApplicationId = 0x746c6d68;

// The events that end a line's time; the duration runs from the entry's last connect.
constexpr const char* kSchema = R"sql(
CREATE TABLE events(
    id INTEGER PRIMARY KEY,
    at_ms INTEGER NOT NULL,
    local TEXT NOT NULL,
    entry TEXT NOT NULL,
    provider TEXT NOT NULL,
    cause TEXT NOT NULL,
    event TEXT NOT NULL,
    code INTEGER NOT NULL DEFAULT 0,
    text TEXT NOT NULL DEFAULT '',
    duration_s INTEGER);
CREATE INDEX events_at ON events(at_ms);
CREATE INDEX events_entry ON events(entry, event, id);
)sql";

std::int64_t wallClockMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

// "2026-12-07T18:45:12+09:00": the local time the user saw, with its offset, so that rows
// written on either side of a change of time zone or of summer time still read right.
std::string localTimeText(std::int64_t atMs)
{
    const std::time_t seconds = static_cast<std::time_t>(atMs / 1000);
    std::tm local{};
    if (!::localtime_r(&seconds, &local))
        return std::to_string(atMs / 1000);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    const long offset = local.tm_gmtoff;
    const long minutes = (offset < 0 ? -offset : offset) / 60;
    char zone[48];
    std::snprintf(zone, sizeof zone, "%c%02ld:%02ld", offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
    return std::string(text) + zone;
}

SqliteFileFormat historyFormat()
{
    return {kApplicationId, 1, kSchema, {"events"}, false, true};
}

// Why a history that is not ours or not sound is neither read nor written.
std::string refusal(const SqliteFile& file, SqliteFileKind kind)
{
    switch (kind) {
    case SqliteFileKind::Foreign:
        return "not a telmaq history";
    case SqliteFileKind::Newer:
        return "written by a newer telmaq";
    case SqliteFileKind::Damaged:
        return "the file is damaged; it is left as it is";
    default:
        return file.error();
    }
}

bool endsLine(HistoryEvent event)
{
    return event == HistoryEvent::HungUp || event == HistoryEvent::LineDropped || event == HistoryEvent::Cancelled;
}

} // namespace

std::string historyLogLine(const HistoryRecord& record, const std::string& provider)
{
    std::string line = record.entry + ": " + historyEventName(record.event);
    if (record.code != 0)
        line += " " + std::to_string(record.code);
    if (!record.text.empty())
        line += " " + record.text;
    if (record.durationS)
        line += " after " + formatDuration(*record.durationS);
    return line + " (" + historyCauseName(record.cause) + ", " + provider + ")";
}

SqliteHistory::SqliteHistory(std::string path, Options options)
    : m_options(std::move(options)), m_file(std::move(path), historyFormat(), m_options.busyTimeoutMs)
{}

SqliteHistory::~SqliteHistory() = default;

// Opens on first use and again after a failure, so that a history mended or unlocked later is
// written again without a restart.
bool SqliteHistory::open(std::string& error)
{
    const SqliteFileKind kind = m_file.open(SqliteOpenMode::Create);
    if (kind != SqliteFileKind::Ours)
        error = refusal(m_file, kind);
    return kind == SqliteFileKind::Ours;
}

bool SqliteHistory::write(HistoryRecord& row, const std::string& local, std::string& error)
{
    if (!open(error))
        return false;
    sqlite3* const db = m_file.db();
    // The error as it happens: finalising a statement or rolling back resets the connection's.
    int failure = SQLITE_OK;
    const auto ran = [&](bool done) {
        if (!done && failure == SQLITE_OK) {
            failure = sqlite3_errcode(db);
            error = sqlite3_errmsg(db);
        }
        return done;
    };
    {
        WriteTransaction transaction(db);
        bool ok = ran(transaction.ok());
        if (ok && endsLine(row.event) && !row.durationS) {
            Statement connected(db,
                                "SELECT c.at_ms FROM events c"
                                " WHERE c.id = (SELECT max(id) FROM events WHERE entry = ?1 AND event = 'connected')"
                                " AND NOT EXISTS (SELECT 1 FROM events e WHERE e.entry = ?1 AND e.id > c.id"
                                " AND e.event IN ('hung-up', 'line-dropped', 'cancelled'))");
            connected.bind(1, row.entry);
            const int rc = connected.step();
            if (rc == SQLITE_ROW)
                row.durationS = std::max<std::int64_t>(0, (*row.atMs - connected.integer(0)) / 1000);
            ok = ran(rc == SQLITE_ROW || rc == SQLITE_DONE);
        }
        if (ok) {
            Statement insert(db,
                             "INSERT INTO events(at_ms, local, entry, provider, cause, event, code, text, duration_s)"
                             " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
            insert.bind(1, *row.atMs)
                .bind(2, local)
                .bind(3, row.entry)
                .bind(4, m_options.provider)
                .bind(5, std::string(historyCauseName(row.cause)))
                .bind(6, std::string(historyEventName(row.event)))
                .bind(7, static_cast<std::int64_t>(row.code))
                .bind(8, row.text)
                .bind(9, row.durationS);
            ok = ran(insert.step() == SQLITE_DONE);
        }
        if (ok) {
            // Oldest first, by age and by count; ids only grow, so the newest maxRows are the ids
            // above max(id) - maxRows.
            Statement byAge(db, "DELETE FROM events WHERE id IN"
                                " (SELECT id FROM events WHERE at_ms < ?1 ORDER BY at_ms LIMIT ?2)");
            byAge.bind(1, *row.atMs - m_options.maxAgeS * 1000).bind(2, std::int64_t{kPruneBatch});
            Statement byCount(db, "DELETE FROM events WHERE id IN (SELECT id FROM events"
                                  " WHERE id <= (SELECT max(id) FROM events) - ?1 ORDER BY id LIMIT ?2)");
            byCount.bind(1, m_options.maxRows).bind(2, std::int64_t{kPruneBatch});
            ok = ran(byAge.step() == SQLITE_DONE) && ran(byCount.step() == SQLITE_DONE) && ran(transaction.commit());
        }
        if (ok)
            return true;
    }
    // A file that went bad under us is opened and checked afresh next time.
    const int rc = failure & 0xff;
    if (rc == SQLITE_CORRUPT || rc == SQLITE_NOTADB || rc == SQLITE_IOERR)
        m_file.abandon();
    return false;
}

void SqliteHistory::record(const HistoryRecord& record)
{
    HistoryRecord row = record;
    if (!row.atMs)
        row.atMs = wallClockMs();
    const std::string local = localTimeText(*row.atMs);

    std::lock_guard<std::mutex> lock(m_mutex);
    std::string error;
    const bool written = write(row, local, error);
    if (m_options.systemLog) {
        const bool bad = row.event == HistoryEvent::Failed || row.event == HistoryEvent::LineDropped ||
                         row.event == HistoryEvent::ApplicationFailed;
        ::syslog(LOG_USER | (bad ? LOG_WARNING : LOG_INFO), "%s", historyLogLine(row, m_options.provider).c_str());
    }
    // One line per stretch of failures, not one per event.
    if (!written && !m_failing)
        std::cerr << "telmaq: the connection history is not written: " << error << " (" << m_file.path() << ")\n";
    m_failing = !written;
}

bool readHistory(const std::string& path, const HistoryQuery& query, std::vector<HistoryRow>& rows, std::string& error)
{
    rows.clear();
    // Read-only and without creating anything: looking at the history never changes it.
    SqliteFile file(path, historyFormat(), 2000);
    const SqliteFileKind kind = file.open(SqliteOpenMode::ReadOnly);
    // A file made a moment ago by a writer that has not set it up yet is an empty history.
    if (kind == SqliteFileKind::Empty)
        return true;
    if (kind != SqliteFileKind::Ours) {
        error = refusal(file, kind);
        return false;
    }
    sqlite3* const db = file.db();
    Statement select(db, "SELECT at_ms, local, entry, provider, cause, event, code, text, duration_s FROM events"
                         " WHERE at_ms >= ?1 AND (?2 IS NULL OR entry = ?2 COLLATE NOCASE)"
                         " AND (?3 = 0 OR event IN ('failed', 'line-dropped', 'app-failed'))"
                         " ORDER BY at_ms, id");
    select.bind(1, query.sinceMs.value_or(INT64_MIN)).bind(2, query.entry).bind(3, std::int64_t{query.failedOnly});
    int rc;
    while ((rc = select.step()) == SQLITE_ROW) {
        HistoryRow row;
        row.atMs = select.integer(0);
        row.local = select.text(1);
        row.entry = select.text(2);
        row.provider = select.text(3);
        row.cause = select.text(4);
        row.event = select.text(5);
        row.code = static_cast<std::uint32_t>(select.integer(6));
        row.text = select.text(7);
        row.durationS = select.optionalInteger(8);
        rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE)
        error = sqlite3_errmsg(db); // before the statement is finalised, which resets it
    return rc == SQLITE_DONE;
}

} // namespace telmaq
