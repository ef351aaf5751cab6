#pragma once

#include "platform/registry/Registry.h"
#include "platform/system/SqliteFile.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace telmaq {

// The user registry hive: the keys and values of HKEY_CURRENT_USER in one SQLite file that
// every telmaq process of the user shares. The connection stays open and its statements stay
// prepared, because the settings store reaches its key afresh for every value it reads.
//
// The file is made only by the first create or write: a session that only reads leaves the
// disk as it was. Whatever is at the path and is not our hive (another program's database,
// a damaged file) is answered with error codes and never touched.
class SqliteHive : public IRegistry
{
public:
    static constexpr int kDefaultBusyTimeoutMs = 2000;

    // A value as listed by values().
    struct Value
    {
        std::string name;
        std::uint32_t type = REG_NONE;
        std::vector<std::uint8_t> data;
    };

    explicit SqliteHive(std::string path, int busyTimeoutMs = kDefaultBusyTimeoutMs);
    ~SqliteHive() override;
    SqliteHive(const SqliteHive&) = delete;
    SqliteHive& operator=(const SqliteHive&) = delete;

    long openKey(HKEY parent, const char* subKey, std::uint32_t access, HKEY* result) override;
    long createKey(HKEY parent, const char* subKey, std::uint32_t access, HKEY* result) override;
    long queryValue(HKEY key, const char* name, std::uint32_t* type, std::uint8_t* data, std::uint32_t* size) override;
    long setValue(HKEY key, const char* name, std::uint32_t type, const std::uint8_t* data,
                  std::uint32_t size) override;
    long deleteValue(HKEY key, const char* name) override;
    long deleteKey(HKEY parent, const char* subKey) override;
    long closeKey(HKEY key) override;

    // Every value of an open key, sorted by name ignoring case; for the hive editor.
    long values(HKEY key, std::vector<Value>* result);

    // The names of the direct subkeys of an open key, sorted ignoring case.
    long subKeys(HKEY key, std::vector<std::string>* result);

    const std::string& path() const { return m_file.path(); }
    // A failure of the file itself, in words that name it; empty for a code that concerns a
    // key or a value.
    std::string fileFailure(long code) const;

private:
    struct Handle
    {
        std::int64_t keyId = 0; // 0 is HKEY_CURRENT_USER itself
        std::uint32_t access = 0;
    };
    enum Statement
    {
        FindKey,
        InsertKey,
        KeyExists,
        QueryValue,
        SetValue,
        DeleteValue,
        DeleteSubtreeValues,
        DeleteSubtreeKeys,
        ListValues,
        ListSubKeys,
        BeginRead,
        EndRead,
        StatementCount
    };
    enum class Hive
    {
        Ready,   // open, with our tables
        Missing, // no file, or a file without tables yet: reads as an empty hive
        Failed,  // see m_lastError
    };

    Hive connect(bool forWrite);
    long prepareStatements();
    void finalizeStatements();

    // The open key behind a handle, if it was opened with every right in `access`.
    long resolve(HKEY key, std::uint32_t access, Handle* handle) const;
    long resolvePath(HKEY parent, const char* subKey, Handle* from, std::vector<std::string>* names) const;
    // Opens the file for a read: nothing when it is ready, else what the call answers:
    // `missing` for a hive nothing has been written to yet (it reads as empty), or the failure.
    std::optional<long> unreadable(long missing);
    HKEY addHandle(std::int64_t keyId, std::uint32_t access);
    long walk(std::int64_t from, const std::vector<std::string>& names, bool create, std::int64_t* keyId);
    long walkSteps(std::int64_t from, const std::vector<std::string>& names, bool create, std::int64_t* keyId);
    long findChild(std::int64_t parent, const std::string& name, std::int64_t* child);
    long keyExists(std::int64_t keyId);
    long errorFor(int sqliteCode, bool write) const;
    sqlite3_stmt* statement(Statement which);
    sqlite3* db() const { return m_file.db(); }

    std::mutex m_mutex;
    SqliteFile m_file;
    int m_preparedFor = 0; // the connection (SqliteFile::connection) the statements belong to
    long m_lastError = ERROR_SUCCESS;
    sqlite3_stmt* m_statements[StatementCount] = {};
    std::unordered_map<HKEY, Handle> m_handles;
    HKEY m_nextHandle = 1;
};

} // namespace telmaq
