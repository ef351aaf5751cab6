#include "platform/registry/SqliteHive.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace telmaq {
namespace {

// Marks a file as ours ("tlmq"), so that a database of another program that happens to lie
// at the path is left alone instead of getting our tables added to it.
constexpr int kApplicationId = 0x746c6d71;
constexpr int kSchemaVersion = 1;

// AUTOINCREMENT so that the id of a deleted key is never given to a new one: a handle still
// open on the deleted key must not start to reach a stranger.
constexpr const char* kSchema = "CREATE TABLE keys("
                                " id INTEGER PRIMARY KEY AUTOINCREMENT,"
                                " parent INTEGER NOT NULL,"
                                " name TEXT NOT NULL COLLATE NOCASE,"
                                " UNIQUE(parent, name));"
                                "CREATE TABLE vals("
                                " key INTEGER NOT NULL,"
                                " name TEXT NOT NULL COLLATE NOCASE,"
                                " type INTEGER NOT NULL,"
                                " data BLOB NOT NULL,"
                                " PRIMARY KEY(key, name)) WITHOUT ROWID;";

// The subtree of a key, the key included.
#define TELMAQ_SUBTREE                                                                                                 \
    "WITH RECURSIVE sub(id) AS (SELECT ?1 UNION ALL SELECT k.id FROM keys k JOIN sub ON k.parent = sub.id) "

const char* const kStatementText[] = {
    "SELECT id FROM keys WHERE parent = ?1 AND name = ?2",
    "INSERT INTO keys(parent, name) VALUES(?1, ?2)",
    "SELECT 1 FROM keys WHERE id = ?1",
    "SELECT type, data FROM vals WHERE key = ?1 AND name = ?2",
    "INSERT INTO vals(key, name, type, data) SELECT ?1, ?2, ?3, ?4"
    " WHERE ?1 = 0 OR EXISTS(SELECT 1 FROM keys WHERE id = ?1)"
    " ON CONFLICT(key, name) DO UPDATE SET type = excluded.type, data = excluded.data",
    "DELETE FROM vals WHERE key = ?1 AND name = ?2",
    TELMAQ_SUBTREE "DELETE FROM vals WHERE key IN sub",
    TELMAQ_SUBTREE "DELETE FROM keys WHERE id IN sub",
    "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY name",
    "SELECT name FROM keys WHERE parent = ?1 ORDER BY name",
    "BEGIN",
    "COMMIT",
};
#undef TELMAQ_SUBTREE

} // namespace

SqliteHive::SqliteHive(std::string path, int busyTimeoutMs) : m_path(std::move(path)), m_busyTimeoutMs(busyTimeoutMs) {}

SqliteHive::~SqliteHive()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    disconnect();
}

// --- The file and the connection -------------------------------------------------------

long SqliteHive::createFileAndFolders()
{
    // Only the folders we make ourselves get 0700; a folder the user already has keeps its mode.
    for (std::size_t slash = m_path.find('/', 1); slash != std::string::npos; slash = m_path.find('/', slash + 1)) {
        const std::string folder = m_path.substr(0, slash);
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
            return ERROR_CANTWRITE;
    }
    // O_EXCL: when another process made the file a moment ago, it is theirs to fill; never
    // truncate or replace what is there.
    const int fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return errno == EEXIST ? ERROR_SUCCESS : ERROR_CANTWRITE;
    ::close(fd);
    return ERROR_SUCCESS;
}

namespace {

int queryInt(sqlite3* db, const char* sql, std::int64_t* out)
{
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    if (rc != SQLITE_OK)
        return rc;
    rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW) {
        *out = sqlite3_column_int64(statement, 0);
        rc = SQLITE_OK;
    }
    sqlite3_finalize(statement);
    return rc;
}

} // namespace

SqliteHive::Hive SqliteHive::connect(bool forWrite)
{
    if (m_ready)
        return Hive::Ready;
    if (!m_db) {
        struct stat info;
        if (::stat(m_path.c_str(), &info) != 0) {
            if (errno != ENOENT) {
                m_lastError = ERROR_CANTOPEN;
                return Hive::Failed;
            }
            if (!forWrite)
                return Hive::Missing;
            if (long rc = createFileAndFolders(); rc != ERROR_SUCCESS) {
                m_lastError = rc;
                return Hive::Failed;
            }
        } else if (!S_ISREG(info.st_mode)) {
            m_lastError = ERROR_CANTOPEN;
            return Hive::Failed;
        }
        // Without SQLITE_OPEN_CREATE: SQLite itself never makes a file at the path.
        if (sqlite3_open_v2(m_path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
            disconnect();
            m_lastError = ERROR_CANTOPEN;
            return Hive::Failed;
        }
        sqlite3_busy_timeout(m_db, m_busyTimeoutMs);
    }

    for (int attempt = 0; attempt < 2; ++attempt) {
        std::int64_t tables = 0, applicationId = 0, version = 0;
        int rc = queryInt(m_db, "SELECT count(*) FROM sqlite_master", &tables);
        if (rc == SQLITE_OK)
            rc = queryInt(m_db, "PRAGMA application_id", &applicationId);
        if (rc == SQLITE_OK)
            rc = queryInt(m_db, "PRAGMA user_version", &version);
        if (rc != SQLITE_OK) {
            m_lastError = errorFor(rc, false);
            if (m_lastError == ERROR_CANTOPEN)
                disconnect();
            return Hive::Failed;
        }
        if (tables > 0) {
            if (applicationId != kApplicationId || version != kSchemaVersion) {
                disconnect();
                m_lastError = ERROR_CANTOPEN;
                return Hive::Failed;
            }
            if (long prepared = prepareStatements(); prepared != ERROR_SUCCESS) {
                disconnect();
                m_lastError = prepared;
                return Hive::Failed;
            }
            m_ready = true;
            return Hive::Ready;
        }
        // An empty file (ours a moment ago, or made by another process that is filling it
        // now) reads as an empty hive until somebody writes.
        if (!forWrite)
            return Hive::Missing;
        if (long rc2 = initialiseSchema(); rc2 != ERROR_SUCCESS) {
            m_lastError = rc2;
            return Hive::Failed;
        }
    }
    m_lastError = ERROR_CANTOPEN;
    return Hive::Failed;
}

long SqliteHive::initialiseSchema()
{
    // WAL lets readers go on while another process writes. It needs a moment alone with the
    // file; should another process hold it, that process sets the mode instead.
    sqlite3_exec(m_db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    int rc = sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        return errorFor(rc, true);
    std::int64_t tables = 0;
    rc = queryInt(m_db, "SELECT count(*) FROM sqlite_master", &tables);
    if (rc == SQLITE_OK && tables == 0) {
        const std::string sql = std::string(kSchema) + "PRAGMA application_id=" + std::to_string(kApplicationId) +
                                ";PRAGMA user_version=" + std::to_string(kSchemaVersion) + ";";
        rc = sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr);
    }
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        return errorFor(rc, true);
    }
    return ERROR_SUCCESS;
}

long SqliteHive::prepareStatements()
{
    static_assert(sizeof(kStatementText) / sizeof(kStatementText[0]) == StatementCount);
    for (int i = 0; i < StatementCount; ++i) {
        const int rc =
            sqlite3_prepare_v3(m_db, kStatementText[i], -1, SQLITE_PREPARE_PERSISTENT, &m_statements[i], nullptr);
        if (rc != SQLITE_OK)
            return errorFor(rc, false);
    }
    return ERROR_SUCCESS;
}

void SqliteHive::disconnect()
{
    for (sqlite3_stmt*& statement : m_statements) {
        sqlite3_finalize(statement);
        statement = nullptr;
    }
    if (m_db)
        sqlite3_close(m_db);
    m_db = nullptr;
    m_ready = false;
}

long SqliteHive::errorFor(int sqliteCode, bool write) const
{
    switch (sqliteCode & 0xff) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW:
        return ERROR_SUCCESS;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
    case SQLITE_CANTOPEN:
        return ERROR_CANTOPEN;
    default:
        return write ? ERROR_CANTWRITE : ERROR_CANTREAD;
    }
}

sqlite3_stmt* SqliteHive::statement(Statement which)
{
    return m_statements[which];
}

} // namespace telmaq
