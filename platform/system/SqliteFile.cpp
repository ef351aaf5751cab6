#include "platform/system/SqliteFile.h"

#include "platform/system/SqliteStatement.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace telmaq {

namespace {

long long modifiedNs(const struct stat& info)
{
    return static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
}

// The folders up to the file; only those we make get 0700, a folder the user has keeps its mode.
bool makeFolders(const std::string& path, std::string& error)
{
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
            error = "cannot make the folder " + folder + ": " + std::strerror(errno);
            return false;
        }
    }
    return true;
}

} // namespace

bool SqliteFile::Stamp::operator==(const Stamp& other) const
{
    return inode == other.inode && size == other.size && modifiedNs == other.modifiedNs && walSize == other.walSize &&
           walModifiedNs == other.walModifiedNs;
}

SqliteFile::SqliteFile(std::string path, SqliteFileFormat format, int busyTimeoutMs)
    : m_path(std::move(path)), m_walPath(m_path + "-wal"), m_format(std::move(format)), m_busyTimeoutMs(busyTimeoutMs)
{}

SqliteFile::~SqliteFile()
{
    close();
}

void SqliteFile::close()
{
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

void SqliteFile::abandon()
{
    if (m_db)
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    close();
}

SqliteFileKind SqliteFile::failed(SqliteFileKind kind, const std::string& error, int code)
{
    m_error = error;
    m_errorCode = code;
    if (m_db) {
        // The last connection to close would copy a log with changes in it into a file that is
        // not ours or not sound; an empty log, made by this open, goes with the connection.
        if (stamp().walSize > 0)
            sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        close();
    }
    return kind;
}

SqliteFileKind SqliteFile::sqliteFailed()
{
    const int code = sqlite3_errcode(m_db);
    const std::string error = sqlite3_errmsg(m_db);
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    return failed((code & 0xff) == SQLITE_CORRUPT ? SqliteFileKind::Damaged : SqliteFileKind::Unreadable, error, code);
}

SqliteFile::Stamp SqliteFile::stamp() const
{
    Stamp result;
    struct stat info;
    if (::stat(m_path.c_str(), &info) == 0) {
        result.inode = info.st_ino;
        result.size = info.st_size;
        result.modifiedNs = modifiedNs(info);
    }
    if (::stat(m_walPath.c_str(), &info) == 0) {
        result.walSize = info.st_size;
        result.walModifiedNs = modifiedNs(info);
    }
    return result;
}

std::int64_t SqliteFile::dataVersion() const
{
    Statement version(m_db, "PRAGMA data_version");
    return version.step() == SQLITE_ROW ? version.integer(0) : -1;
}

void SqliteFile::remember(const Stamp& checked)
{
    m_checked = checked;
    m_changes = sqlite3_total_changes64(m_db);
    m_dataVersion = dataVersion();
}

SqliteFileKind SqliteFile::open(SqliteOpenMode mode)
{
    m_error.clear();
    m_errorCode = 0;
    if (m_db) {
        const Stamp now = stamp();
        if (now == m_checked)
            return SqliteFileKind::Ours;
        // Our own writes leave the file sound: checking a large history after each row would
        // cost more than the row. Nobody else wrote when SQLite's data version stands still.
        if (sqlite3_total_changes64(m_db) != m_changes && dataVersion() == m_dataVersion) {
            remember(now);
            return SqliteFileKind::Ours;
        }
        // Changed on disk since the check: judged afresh on a new connection, whose page cache
        // holds nothing of the file as it was.
        abandon();
    }
    return connect(mode);
}

SqliteFileKind SqliteFile::connect(SqliteOpenMode mode)
{
    if (m_path.empty())
        return failed(SqliteFileKind::Unreachable, "no path for the file");
    struct stat info;
    if (::lstat(m_path.c_str(), &info) != 0) {
        if (errno != ENOENT)
            return failed(SqliteFileKind::Unreachable, std::strerror(errno));
        if (mode != SqliteOpenMode::Create)
            return SqliteFileKind::Empty;
        std::string error;
        if (!makeFolders(m_path, error))
            return failed(SqliteFileKind::NotMade, error);
        // O_EXCL: a file another process made a moment ago is judged like any other, never
        // truncated or replaced; O_NOFOLLOW: a link planted at the path is not followed.
        const int fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0 && errno != EEXIST)
            return failed(SqliteFileKind::NotMade, std::strerror(errno));
        if (fd >= 0)
            ::close(fd);
        if (::lstat(m_path.c_str(), &info) != 0)
            return failed(SqliteFileKind::Unreachable, std::strerror(errno));
    }
    // Opening a pipe or a device could wait for ever; a link could lead into anybody's file.
    if (!S_ISREG(info.st_mode))
        return failed(SqliteFileKind::Unreachable, kNotAFile);
    // Without SQLITE_OPEN_CREATE: SQLite itself never makes a file at the path. Every store
    // serialises its own calls, so SQLite's mutexes would only cost time.
    const int flags = (mode == SqliteOpenMode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) |
                      SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(m_path.c_str(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK)
        return failed(SqliteFileKind::Unreachable, m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc), rc);
    sqlite3_busy_timeout(m_db, m_busyTimeoutMs);
    ++m_opens;

    SqliteFileKind kind = classify();
    if (kind == SqliteFileKind::Empty && mode == SqliteOpenMode::Create)
        kind = setUp();
    if (kind == SqliteFileKind::Empty) {
        close(); // nothing of ours to keep open; a later call looks again
        return kind;
    }
    if (kind != SqliteFileKind::Ours)
        return kind;
    if (mode != SqliteOpenMode::ReadOnly) {
        // WAL lets readers go on while another process writes. It needs a moment alone with
        // the file; should another process hold it, the mode stays as the file has it.
        sqlite3_exec(m_db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        if (m_format.syncLess)
            sqlite3_exec(m_db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
        remember(stamp());
    }
    return kind;
}

// Read in one transaction, so that a file another process is setting up is seen either
// before or after, never half way. Leaves nothing open but the connection.
SqliteFileKind SqliteFile::classify()
{
    if (sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
        return sqliteFailed();
    std::int64_t values[4] = {};
    std::string ourTables = "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN (''";
    for (const std::string& table : m_format.tables)
        ourTables += ",'" + table + "'";
    ourTables += ")";
    const char* const queries[4] = {"SELECT count(*) FROM sqlite_master", ourTables.c_str(), "PRAGMA application_id",
                                    "PRAGMA user_version"};
    for (int i = 0; i < 4; ++i) {
        Statement query(m_db, queries[i]);
        if (query.step() != SQLITE_ROW)
            return sqliteFailed();
        values[i] = query.integer(0);
    }
    const auto [tables, ours, applicationId, version] = values;
    if (tables == 0 && applicationId == 0 && version == 0) {
        sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
        return SqliteFileKind::Empty;
    }
    const bool allTables = ours == static_cast<std::int64_t>(m_format.tables.size());
    const bool marked = applicationId == m_format.applicationId ||
                        (m_format.knownByTables && applicationId == 0 && allTables && version >= 1);
    if (!marked)
        return failed(SqliteFileKind::Foreign, "not a telmaq file");
    if (version > m_format.schemaVersion)
        return failed(SqliteFileKind::Newer, "written by a newer telmaq");
    if (version != m_format.schemaVersion || !allTables)
        return failed(SqliteFileKind::Foreign, "not a telmaq file");
    const SqliteFileKind kind = checkSound();
    if (kind == SqliteFileKind::Ours)
        sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    return kind;
}

// SQLite's structural check: every page reachable once, every b-tree well formed. A file cut
// short or overwritten in a table page can otherwise read as if rows were missing and take
// writes that spread the damage. It reads every page, so it runs at an open (and open() opens
// again once the file changed on disk), not at every read; it runs in classify()'s read
// transaction, so that the file checked is the file recognised.
SqliteFileKind SqliteFile::checkSound()
{
    Statement check(m_db, "PRAGMA quick_check(1)");
    const int rc = check.step();
    if (rc != SQLITE_ROW)
        return sqliteFailed();
    const std::string verdict = check.text(0);
    if (verdict != "ok")
        return failed(SqliteFileKind::Damaged, "damaged: " + verdict.substr(0, verdict.find('\n')), SQLITE_CORRUPT);
    // SQLite writes whole pages; a file that ends inside one was cut short, even where the cut
    // took only the free space of a page and the check above finds nothing amiss.
    Statement pageSize(m_db, "PRAGMA page_size");
    struct stat info;
    if (pageSize.step() == SQLITE_ROW && pageSize.integer(0) > 0 && ::stat(m_path.c_str(), &info) == 0 &&
        info.st_size % pageSize.integer(0) != 0)
        return failed(SqliteFileKind::Damaged, "damaged: cut short inside a page", SQLITE_CORRUPT);
    remember(stamp());
    return SqliteFileKind::Ours;
}

SqliteFileKind SqliteFile::setUp()
{
    // WAL needs a moment alone with the file; should another process hold it, that process
    // sets the mode instead.
    sqlite3_exec(m_db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    if (sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return sqliteFailed();
    // Checked again inside the write: another process may have set the file up meanwhile.
    std::int64_t tables = -1;
    {
        Statement count(m_db, "SELECT count(*) FROM sqlite_master");
        if (count.step() == SQLITE_ROW)
            tables = count.integer(0);
    }
    const std::string sql = std::string(m_format.schema) +
                            ";PRAGMA application_id=" + std::to_string(m_format.applicationId) +
                            ";PRAGMA user_version=" + std::to_string(m_format.schemaVersion) + ";";
    if (tables != 0)
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    else if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK ||
             sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        return sqliteFailed();
    const SqliteFileKind kind = classify();
    return kind == SqliteFileKind::Empty ? failed(SqliteFileKind::Unreadable, "cannot be set up") : kind;
}

} // namespace telmaq
