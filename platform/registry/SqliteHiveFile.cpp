#include "platform/registry/SqliteHive.h"

#include <sqlite3.h>

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

SqliteHive::SqliteHive(std::string path, int busyTimeoutMs)
    : m_file(std::move(path), {kApplicationId, kSchemaVersion, kSchema, {"keys", "vals"}, false, false}, busyTimeoutMs)
{}

SqliteHive::~SqliteHive()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    finalizeStatements();
}

// --- The file and the connection -------------------------------------------------------

SqliteHive::Hive SqliteHive::connect(bool forWrite)
{
    const SqliteFileKind kind = m_file.open(forWrite ? SqliteOpenMode::Create : SqliteOpenMode::Read);
    // Statements prepared on a connection the file has since replaced are of no use.
    if (kind == SqliteFileKind::Ours && m_preparedFor == m_file.connection())
        return Hive::Ready;
    finalizeStatements();
    switch (kind) {
    case SqliteFileKind::Ours:
        if (long prepared = prepareStatements(); prepared != ERROR_SUCCESS) {
            finalizeStatements();
            m_lastError = prepared;
            return Hive::Failed;
        }
        m_preparedFor = m_file.connection();
        return Hive::Ready;
    // An empty file (ours a moment ago, or made by another process that is filling it now)
    // reads as an empty hive until somebody writes.
    case SqliteFileKind::Empty:
        return Hive::Missing;
    case SqliteFileKind::Unreadable:
        m_lastError = errorFor(m_file.errorCode(), forWrite);
        return Hive::Failed;
    case SqliteFileKind::NotMade:
        m_lastError = ERROR_CANTWRITE;
        return Hive::Failed;
    case SqliteFileKind::Damaged:
        m_lastError = ERROR_FILE_CORRUPT;
        return Hive::Failed;
    case SqliteFileKind::Foreign:
    case SqliteFileKind::Newer:
    case SqliteFileKind::Unreachable:
        break;
    }
    m_lastError = ERROR_CANTOPEN;
    return Hive::Failed;
}

long SqliteHive::prepareStatements()
{
    static_assert(sizeof(kStatementText) / sizeof(kStatementText[0]) == StatementCount);
    for (int i = 0; i < StatementCount; ++i) {
        const int rc =
            sqlite3_prepare_v3(db(), kStatementText[i], -1, SQLITE_PREPARE_PERSISTENT, &m_statements[i], nullptr);
        if (rc != SQLITE_OK)
            return errorFor(rc, false);
    }
    return ERROR_SUCCESS;
}

void SqliteHive::finalizeStatements()
{
    for (sqlite3_stmt*& statement : m_statements) {
        sqlite3_finalize(statement);
        statement = nullptr;
    }
    m_preparedFor = 0;
}

long SqliteHive::errorFor(int sqliteCode, bool write) const
{
    switch (sqliteCode & 0xff) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW:
        return ERROR_SUCCESS;
    case SQLITE_CORRUPT:
        return ERROR_FILE_CORRUPT;
    case SQLITE_NOTADB:
    case SQLITE_CANTOPEN:
        return ERROR_CANTOPEN;
    default:
        return write ? ERROR_CANTWRITE : ERROR_CANTREAD;
    }
}

std::string SqliteHive::fileFailure(long code) const
{
    switch (code) {
    case ERROR_FILE_CORRUPT:
        return "the hive " + path() + " is damaged; it is left as it is";
    case ERROR_CANTOPEN:
        return "cannot open the hive " + path() + " (not a telmaq hive, damaged, or unreachable)";
    case ERROR_CANTREAD:
        return "cannot read the hive " + path() + " (locked by another program, or unreadable)";
    case ERROR_CANTWRITE:
        return "cannot write the hive " + path() + " (read-only, locked, or its folder is unusable)";
    default:
        return {};
    }
}

sqlite3_stmt* SqliteHive::statement(Statement which)
{
    return m_statements[which];
}

} // namespace telmaq
