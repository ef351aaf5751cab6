#include "platform/registry/SqliteHive.h"

#include <sqlite3.h>

#include <cstring>
#include <optional>

namespace telmaq {
namespace {

// The limits of the registry we stand in for; longer names are refused, not cut.
constexpr std::size_t kMaxKeyNameBytes = 255;
constexpr std::size_t kMaxValueNameBytes = 16383;

// Resets a statement on every way out, so that no read transaction stays open behind it.
class Use
{
public:
    explicit Use(sqlite3_stmt* statement) : m_statement(statement) {}
    ~Use() { sqlite3_reset(m_statement); }
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;
    sqlite3_stmt* get() const { return m_statement; }

private:
    sqlite3_stmt* m_statement;
};

long splitPath(const char* subKey, std::vector<std::string>* names)
{
    names->clear();
    if (!subKey)
        return ERROR_SUCCESS;
    std::string current;
    for (const char* p = subKey;; ++p) {
        if (*p == '\\' || *p == '\0') {
            if (current.size() > kMaxKeyNameBytes)
                return ERROR_INVALID_PARAMETER;
            if (!current.empty())
                names->push_back(current);
            current.clear();
            if (*p == '\0')
                break;
        } else {
            current.push_back(*p);
        }
    }
    return ERROR_SUCCESS;
}

bool valueNameFits(const char* name)
{
    return !name || std::strlen(name) <= kMaxValueNameBytes;
}

void bindName(sqlite3_stmt* statement, int index, const char* name)
{
    sqlite3_bind_text(statement, index, name ? name : "", -1, SQLITE_TRANSIENT);
}

} // namespace

// --- Handles and keys --------------------------------------------------------------------

long SqliteHive::resolve(HKEY key, std::uint32_t access, Handle* handle) const
{
    if (key == HKEY_CURRENT_USER) {
        *handle = Handle{0, KEY_ALL_ACCESS};
        return ERROR_SUCCESS;
    }
    const auto it = m_handles.find(key);
    if (it == m_handles.end())
        return ERROR_INVALID_HANDLE;
    *handle = it->second;
    return (handle->access & access) == access ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

long SqliteHive::resolvePath(HKEY parent, const char* subKey, Handle* from, std::vector<std::string>* names) const
{
    if (long rc = resolve(parent, 0, from); rc != ERROR_SUCCESS)
        return rc;
    return splitPath(subKey, names);
}

std::optional<long> SqliteHive::unreadable(long missing)
{
    switch (connect(false)) {
    case Hive::Ready:
        return std::nullopt;
    case Hive::Missing:
        return missing;
    case Hive::Failed:
        break;
    }
    return m_lastError;
}

HKEY SqliteHive::addHandle(std::int64_t keyId, std::uint32_t access)
{
    // Handle numbers stay below the predefined keys (0x80000000 and up) and are never 0.
    while (m_nextHandle == 0 || m_nextHandle >= 0x80000000u || m_handles.count(m_nextHandle))
        m_nextHandle = m_nextHandle >= 0x80000000u ? 1 : m_nextHandle + 1;
    const HKEY handle = m_nextHandle++;
    m_handles[handle] = Handle{keyId, access};
    return handle;
}

long SqliteHive::findChild(std::int64_t parent, const std::string& name, std::int64_t* child)
{
    Use use(statement(FindKey));
    sqlite3_bind_int64(use.get(), 1, parent);
    sqlite3_bind_text(use.get(), 2, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
    const int rc = sqlite3_step(use.get());
    if (rc == SQLITE_ROW) {
        *child = sqlite3_column_int64(use.get(), 0);
        return ERROR_SUCCESS;
    }
    return rc == SQLITE_DONE ? ERROR_FILE_NOT_FOUND : errorFor(rc, false);
}

long SqliteHive::keyExists(std::int64_t keyId)
{
    if (keyId == 0)
        return ERROR_SUCCESS;
    Use use(statement(KeyExists));
    sqlite3_bind_int64(use.get(), 1, keyId);
    const int rc = sqlite3_step(use.get());
    if (rc == SQLITE_ROW)
        return ERROR_SUCCESS;
    return rc == SQLITE_DONE ? ERROR_KEY_DELETED : errorFor(rc, false);
}

long SqliteHive::walk(std::int64_t from, const std::vector<std::string>& names, bool create, std::int64_t* keyId)
{
    // Every read transaction costs file-lock calls on the shared WAL index; one transaction
    // for the whole path instead of one per step keeps a settings read well under the time
    // the once-a-second tick may spend. (A create runs inside its write transaction already.)
    if (!create && names.size() > 1 && sqlite3_get_autocommit(db())) {
        Use begin(statement(BeginRead));
        if (sqlite3_step(begin.get()) == SQLITE_DONE) {
            const long rc = walkSteps(from, names, false, keyId);
            Use end(statement(EndRead));
            sqlite3_step(end.get());
            return rc;
        }
    }
    return walkSteps(from, names, create, keyId);
}

long SqliteHive::walkSteps(std::int64_t from, const std::vector<std::string>& names, bool create, std::int64_t* keyId)
{
    std::int64_t current = from;
    for (const std::string& name : names) {
        std::int64_t child = 0;
        long rc = findChild(current, name, &child);
        if (rc == ERROR_FILE_NOT_FOUND && create) {
            Use use(statement(InsertKey));
            sqlite3_bind_int64(use.get(), 1, current);
            sqlite3_bind_text(use.get(), 2, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
            const int step = sqlite3_step(use.get());
            if (step != SQLITE_DONE)
                return errorFor(step, true);
            child = sqlite3_last_insert_rowid(db());
            rc = ERROR_SUCCESS;
        }
        if (rc != ERROR_SUCCESS)
            return rc;
        current = child;
    }
    *keyId = current;
    return ERROR_SUCCESS;
}

long SqliteHive::openKey(HKEY parent, const char* subKey, std::uint32_t access, HKEY* result)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!result)
        return ERROR_INVALID_PARAMETER;
    Handle from;
    std::vector<std::string> names;
    if (long rc = resolvePath(parent, subKey, &from, &names); rc != ERROR_SUCCESS)
        return rc;
    std::int64_t keyId = from.keyId;
    if (!names.empty()) {
        if (const auto rc = unreadable(ERROR_FILE_NOT_FOUND))
            return *rc;
        if (long rc = walk(from.keyId, names, false, &keyId); rc != ERROR_SUCCESS)
            return rc;
    }
    *result = addHandle(keyId, access);
    return ERROR_SUCCESS;
}

long SqliteHive::createKey(HKEY parent, const char* subKey, std::uint32_t access, HKEY* result)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!result)
        return ERROR_INVALID_PARAMETER;
    Handle from;
    std::vector<std::string> names;
    if (long rc = resolvePath(parent, subKey, &from, &names); rc != ERROR_SUCCESS)
        return rc;

    // Most calls find every key there already; they take no write lock and leave the file alone.
    std::int64_t keyId = 0;
    if (connect(false) == Hive::Ready && walk(from.keyId, names, false, &keyId) == ERROR_SUCCESS) {
        *result = addHandle(keyId, access);
        return ERROR_SUCCESS;
    }
    if (connect(true) != Hive::Ready)
        return m_lastError;
    int step = sqlite3_exec(db(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (step != SQLITE_OK)
        return errorFor(step, true);
    long rc = keyExists(from.keyId);
    if (rc == ERROR_SUCCESS)
        rc = walk(from.keyId, names, true, &keyId);
    if (rc == ERROR_SUCCESS) {
        step = sqlite3_exec(db(), "COMMIT", nullptr, nullptr, nullptr);
        rc = errorFor(step, true);
    }
    if (rc != ERROR_SUCCESS) {
        sqlite3_exec(db(), "ROLLBACK", nullptr, nullptr, nullptr);
        return rc;
    }
    *result = addHandle(keyId, access);
    return ERROR_SUCCESS;
}

long SqliteHive::deleteKey(HKEY parent, const char* subKey)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Handle from;
    std::vector<std::string> names;
    if (long rc = resolvePath(parent, subKey, &from, &names); rc != ERROR_SUCCESS)
        return rc;
    // The key itself, and HKEY_CURRENT_USER with it, is not deleted through its own handle.
    if (names.empty())
        return ERROR_INVALID_PARAMETER;
    if (const auto rc = unreadable(ERROR_FILE_NOT_FOUND))
        return *rc;
    int step = sqlite3_exec(db(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (step != SQLITE_OK)
        return errorFor(step, true);
    std::int64_t keyId = 0;
    long rc = walk(from.keyId, names, false, &keyId);
    for (Statement which : {DeleteSubtreeValues, DeleteSubtreeKeys}) {
        if (rc != ERROR_SUCCESS)
            break;
        Use use(statement(which));
        sqlite3_bind_int64(use.get(), 1, keyId);
        rc = errorFor(sqlite3_step(use.get()), true);
    }
    if (rc == ERROR_SUCCESS)
        rc = errorFor(sqlite3_exec(db(), "COMMIT", nullptr, nullptr, nullptr), true);
    if (rc != ERROR_SUCCESS)
        sqlite3_exec(db(), "ROLLBACK", nullptr, nullptr, nullptr);
    return rc;
}

long SqliteHive::closeKey(HKEY key)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (key == HKEY_CURRENT_USER)
        return ERROR_SUCCESS;
    return m_handles.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

// --- Values ------------------------------------------------------------------------------

long SqliteHive::queryValue(HKEY key, const char* name, std::uint32_t* type, std::uint8_t* data, std::uint32_t* size)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Handle handle;
    if (long rc = resolve(key, KEY_QUERY_VALUE, &handle); rc != ERROR_SUCCESS)
        return rc;
    if (data && !size)
        return ERROR_INVALID_PARAMETER;
    if (!valueNameFits(name))
        return ERROR_FILE_NOT_FOUND;
    if (const auto rc = unreadable(ERROR_FILE_NOT_FOUND))
        return *rc;
    Use use(statement(QueryValue));
    sqlite3_bind_int64(use.get(), 1, handle.keyId);
    bindName(use.get(), 2, name);
    const int rc = sqlite3_step(use.get());
    if (rc != SQLITE_ROW)
        return rc == SQLITE_DONE ? ERROR_FILE_NOT_FOUND : errorFor(rc, false);
    const auto storedType = static_cast<std::uint32_t>(sqlite3_column_int64(use.get(), 0));
    const void* bytes = sqlite3_column_blob(use.get(), 1);
    const auto needed = static_cast<std::uint32_t>(sqlite3_column_bytes(use.get(), 1));
    if (type)
        *type = storedType;
    if (data) {
        if (*size < needed) {
            *size = needed;
            return ERROR_MORE_DATA;
        }
        if (needed > 0)
            std::memcpy(data, bytes, needed);
    }
    if (size)
        *size = needed;
    return ERROR_SUCCESS;
}

long SqliteHive::setValue(HKEY key, const char* name, std::uint32_t type, const std::uint8_t* data, std::uint32_t size)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Handle handle;
    if (long rc = resolve(key, KEY_SET_VALUE, &handle); rc != ERROR_SUCCESS)
        return rc;
    if ((!data && size > 0) || size > 0x7fffffffu || !valueNameFits(name))
        return ERROR_INVALID_PARAMETER;
    if (connect(true) != Hive::Ready)
        return m_lastError;
    Use use(statement(SetValue));
    sqlite3_bind_int64(use.get(), 1, handle.keyId);
    bindName(use.get(), 2, name);
    sqlite3_bind_int64(use.get(), 3, type);
    // An empty blob must stay a blob: binding a null pointer would store NULL.
    if (size == 0)
        sqlite3_bind_zeroblob(use.get(), 4, 0);
    else
        sqlite3_bind_blob(use.get(), 4, data, static_cast<int>(size), SQLITE_STATIC);
    const int rc = sqlite3_step(use.get());
    if (rc != SQLITE_DONE)
        return errorFor(rc, true);
    return sqlite3_changes(db()) > 0 ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

long SqliteHive::deleteValue(HKEY key, const char* name)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Handle handle;
    if (long rc = resolve(key, KEY_SET_VALUE, &handle); rc != ERROR_SUCCESS)
        return rc;
    if (!valueNameFits(name))
        return ERROR_FILE_NOT_FOUND;
    if (const auto rc = unreadable(ERROR_FILE_NOT_FOUND))
        return *rc;
    Use use(statement(DeleteValue));
    sqlite3_bind_int64(use.get(), 1, handle.keyId);
    bindName(use.get(), 2, name);
    const int rc = sqlite3_step(use.get());
    if (rc != SQLITE_DONE)
        return errorFor(rc, true);
    return sqlite3_changes(db()) > 0 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

long SqliteHive::values(HKEY key, std::vector<Value>* result)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    result->clear();
    Handle handle;
    if (long rc = resolve(key, KEY_QUERY_VALUE, &handle); rc != ERROR_SUCCESS)
        return rc;
    if (const auto rc = unreadable(ERROR_SUCCESS))
        return *rc;
    if (long rc = keyExists(handle.keyId); rc != ERROR_SUCCESS)
        return rc;
    Use use(statement(ListValues));
    sqlite3_bind_int64(use.get(), 1, handle.keyId);
    int rc;
    while ((rc = sqlite3_step(use.get())) == SQLITE_ROW) {
        Value value;
        const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(use.get(), 0));
        value.name.assign(name ? name : "", static_cast<std::size_t>(sqlite3_column_bytes(use.get(), 0)));
        value.type = static_cast<std::uint32_t>(sqlite3_column_int64(use.get(), 1));
        const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(use.get(), 2));
        value.data.assign(bytes, bytes + sqlite3_column_bytes(use.get(), 2));
        result->push_back(std::move(value));
    }
    return rc == SQLITE_DONE ? ERROR_SUCCESS : errorFor(rc, false);
}

long SqliteHive::subKeys(HKEY key, std::vector<std::string>* result)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    result->clear();
    Handle handle;
    if (long rc = resolve(key, 0, &handle); rc != ERROR_SUCCESS)
        return rc;
    if (const auto rc = unreadable(ERROR_SUCCESS))
        return *rc;
    if (long rc = keyExists(handle.keyId); rc != ERROR_SUCCESS)
        return rc;
    Use use(statement(ListSubKeys));
    sqlite3_bind_int64(use.get(), 1, handle.keyId);
    int rc;
    while ((rc = sqlite3_step(use.get())) == SQLITE_ROW) {
        const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(use.get(), 0));
        result->emplace_back(name ? name : "", static_cast<std::size_t>(sqlite3_column_bytes(use.get(), 0)));
    }
    return rc == SQLITE_DONE ? ERROR_SUCCESS : errorFor(rc, false);
}

} // namespace telmaq
