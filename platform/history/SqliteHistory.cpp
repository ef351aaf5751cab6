#include "platform/history/SqliteHistory.h"

#include "platform/system/SqliteStatement.h"

#include <sqlite3.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <iostream>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

namespace telmaq {

namespace {

// "tlmh": marks the file as telmaq's history, so that another program's database at the path
// is never written into.
constexpr int kApplicationId = 0x746c6d68;
constexpr int kSchemaVersion = 1;

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

bool endsLine(HistoryEvent event)
{
    return event == HistoryEvent::HungUp || event == HistoryEvent::LineDropped || event == HistoryEvent::Cancelled;
}

bool queryInt(sqlite3* db, const char* sql, std::int64_t& value)
{
    Statement query(db, sql);
    if (query.step() != SQLITE_ROW)
        return false;
    value = query.integer(0);
    return true;
}

// The folders we make are the user's alone; folders that exist keep their mode.
bool makeFolders(const std::string& path)
{
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        if (::mkdir(path.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    return true;
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

SqliteHistory::SqliteHistory(std::string path, Options options) : m_path(std::move(path)), m_options(std::move(options))
{}

SqliteHistory::~SqliteHistory()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    close();
}

void SqliteHistory::close()
{
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

// Opens on first use and again after a failure, so that a history mended or unlocked later is
// written again without a restart.
bool SqliteHistory::open(std::string& error)
{
    if (m_db)
        return true;
    if (m_path.empty() || !makeFolders(m_path)) {
        error = "cannot make its folder";
        return false;
    }
    // O_EXCL: a file another process made a moment ago is left as it is; O_NOFOLLOW: a link
    // planted at the path is not followed into someone else's file.
    const int fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd >= 0)
        ::close(fd);
    else if (errno != EEXIST) {
        error = std::strerror(errno);
        return false;
    }
    if (sqlite3_open_v2(m_path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr) != SQLITE_OK) {
        error = m_db ? sqlite3_errmsg(m_db) : "out of memory";
        close();
        return false;
    }
    sqlite3_busy_timeout(m_db, m_options.busyTimeoutMs);
    std::int64_t applicationId = 0;
    std::int64_t version = 0;
    std::int64_t tables = 0;
    if (!queryInt(m_db, "PRAGMA application_id", applicationId) || !queryInt(m_db, "PRAGMA user_version", version) ||
        !queryInt(m_db, "SELECT count(*) FROM sqlite_master", tables)) {
        error = sqlite3_errmsg(m_db);
        close();
        return false;
    }
    if (applicationId != kApplicationId && (applicationId != 0 || tables != 0)) {
        error = "not a telmaq history";
        close();
        return false;
    }
    if (version > kSchemaVersion) {
        error = "written by a newer telmaq";
        close();
        return false;
    }
    // WAL without a sync on every commit: a write costs well under a millisecond, and a power
    // cut may lose the last rows but never corrupts the file.
    sqlite3_exec(m_db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    sqlite3_exec(m_db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    if (version == kSchemaVersion)
        return true;
    WriteTransaction transaction(m_db);
    std::int64_t again = 0;
    const std::string setUp = std::string(kSchema) + "PRAGMA application_id=" + std::to_string(kApplicationId) +
                              ";PRAGMA user_version=" + std::to_string(kSchemaVersion) + ";";
    // Another process may have set the file up while this one waited for the transaction.
    const bool ready =
        transaction.ok() && queryInt(m_db, "PRAGMA user_version", again) &&
        (again == kSchemaVersion ||
         (sqlite3_exec(m_db, setUp.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK && transaction.commit()));
    if (!ready) {
        error = sqlite3_errmsg(m_db);
        close();
    }
    return ready;
}

bool SqliteHistory::write(HistoryRecord& row, const std::string& local, std::string& error)
{
    if (!open(error))
        return false;
    WriteTransaction transaction(m_db);
    bool ok = transaction.ok();
    if (ok && endsLine(row.event) && !row.durationS) {
        Statement connected(m_db, "SELECT c.at_ms FROM events c"
                                  " WHERE c.id = (SELECT max(id) FROM events WHERE entry = ?1 AND event = 'connected')"
                                  " AND NOT EXISTS (SELECT 1 FROM events e WHERE e.entry = ?1 AND e.id > c.id"
                                  " AND e.event IN ('hung-up', 'line-dropped', 'cancelled'))");
        connected.bind(1, row.entry);
        const int rc = connected.step();
        if (rc == SQLITE_ROW)
            row.durationS = std::max<std::int64_t>(0, (*row.atMs - connected.integer(0)) / 1000);
        ok = rc == SQLITE_ROW || rc == SQLITE_DONE;
    }
    if (ok) {
        Statement insert(m_db, "INSERT INTO events(at_ms, local, entry, provider, cause, event, code, text, duration_s)"
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
        ok = insert.step() == SQLITE_DONE;
    }
    if (ok) {
        // Oldest first, by age and by count; ids only grow, so the newest maxRows are the ids
        // above max(id) - maxRows.
        Statement byAge(m_db, "DELETE FROM events WHERE id IN"
                              " (SELECT id FROM events WHERE at_ms < ?1 ORDER BY at_ms LIMIT ?2)");
        byAge.bind(1, *row.atMs - m_options.maxAgeS * 1000).bind(2, std::int64_t{kPruneBatch});
        Statement byCount(m_db, "DELETE FROM events WHERE id IN (SELECT id FROM events"
                                " WHERE id <= (SELECT max(id) FROM events) - ?1 ORDER BY id LIMIT ?2)");
        byCount.bind(1, m_options.maxRows).bind(2, std::int64_t{kPruneBatch});
        ok = byAge.step() == SQLITE_DONE && byCount.step() == SQLITE_DONE && transaction.commit();
    }
    if (!ok) {
        error = sqlite3_errmsg(m_db);
        const int rc = sqlite3_errcode(m_db) & 0xff;
        // A file that went bad under us is opened afresh next time.
        if (rc == SQLITE_CORRUPT || rc == SQLITE_NOTADB || rc == SQLITE_IOERR)
            close();
    }
    return ok;
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
        std::cerr << "telmaq: the connection history is not written: " << error << " (" << m_path << ")\n";
    m_failing = !written;
}

bool readHistory(const std::string& path, const HistoryQuery& query, std::vector<HistoryRow>& rows, std::string& error)
{
    rows.clear();
    struct stat info;
    if (::stat(path.c_str(), &info) != 0 && errno == ENOENT)
        return true;
    sqlite3* db = nullptr;
    // Read-only and without creating anything: looking at the history never changes it.
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    std::int64_t applicationId = 0;
    std::int64_t tables = 0;
    if (rc == SQLITE_OK && queryInt(db, "PRAGMA application_id", applicationId) &&
        queryInt(db, "SELECT count(*) FROM sqlite_master", tables) && applicationId != kApplicationId) {
        // A file made a moment ago by a writer that has not set it up yet is an empty history.
        const bool empty = applicationId == 0 && tables == 0;
        if (!empty)
            error = "not a telmaq history";
        sqlite3_close_v2(db);
        return empty;
    }
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(db, 2000);
        Statement select(db, "SELECT at_ms, local, entry, provider, cause, event, code, text, duration_s FROM events"
                             " WHERE at_ms >= ?1 AND (?2 IS NULL OR entry = ?2 COLLATE NOCASE)"
                             " AND (?3 = 0 OR event IN ('failed', 'line-dropped', 'app-failed'))"
                             " ORDER BY at_ms, id");
        select.bind(1, query.sinceMs.value_or(INT64_MIN)).bind(2, query.entry).bind(3, std::int64_t{query.failedOnly});
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
        if (rc == SQLITE_DONE) {
            sqlite3_close_v2(db);
            return true;
        }
    }
    error = db ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close_v2(db);
    return false;
}

} // namespace telmaq
