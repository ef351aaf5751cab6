#include "platform/dialup/SimulatorDatabase.h"

#include "platform/dialup/EntryName.h"
#include "platform/dialup/LineBehaviour.h"
#include "platform/dialup/ProcessLiveness.h"
#include "platform/system/EchoedText.h"
#include "platform/system/SqliteStatement.h"

#include <sqlite3.h>

#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace telmaq {

namespace {

// Marks a file as our phonebook ("tlmd"), so that it is told apart from other programs' files.
// Phonebooks made before the mark are known by their tables and version.
constexpr int kApplicationId = 0x746c6d64;
// Several processes write the file; a writer waits this long for another to finish.
constexpr int kBusyTimeoutMs = 5000;

constexpr const char* kSchema = R"sql(
CREATE TABLE entries(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    name TEXT NOT NULL UNIQUE,
    phone TEXT NOT NULL DEFAULT '',
    device TEXT NOT NULL DEFAULT '',
    user TEXT,
    password TEXT,
    domain TEXT,
    line TEXT NOT NULL DEFAULT 'connect',
    step_ms INTEGER NOT NULL DEFAULT 300,
    dials INTEGER NOT NULL DEFAULT 0);
CREATE TABLE connections(
    handle INTEGER PRIMARY KEY AUTOINCREMENT,
    entry TEXT NOT NULL,
    device TEXT NOT NULL,
    connected INTEGER NOT NULL DEFAULT 0,
    pid INTEGER NOT NULL,
    pid_start TEXT NOT NULL,
    started_ms INTEGER NOT NULL,
    connected_ms INTEGER,
    drop_ms INTEGER NOT NULL DEFAULT 0);
)sql";

bool hasControlCharacters(const std::string& text)
{
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7f)
            return true;
    return false;
}

std::uint32_t checkText(const std::string& text, std::size_t limit, const char* field, std::string& why)
{
    if (text.size() > limit) {
        why = std::string(field) + " is longer than " + std::to_string(limit) + " bytes";
        return ERROR_INVALID_PARAMETER_RAS;
    }
    if (text.find('\0') != std::string::npos || hasControlCharacters(text)) {
        why = std::string(field) + " holds a control character";
        return ERROR_INVALID_PARAMETER_RAS;
    }
    return 0;
}

// An entry's columns in the order bindEntry and selectEntry use, then the dials made so far.
constexpr const char* kSelectEntry =
    "SELECT name, phone, device, user, password, domain, line, step_ms, dials FROM entries WHERE name = ?";

// An add and a change store the same columns: ?1 is the name, ?2 to ?8 the rest.
void bindEntry(Statement& statement, const SimEntry& entry)
{
    statement.bind(1, entry.name).bind(2, entry.phone).bind(3, entry.device).bind(4, entry.user);
    statement.bind(5, entry.password).bind(6, entry.domain).bind(7, entry.line).bind(8, std::int64_t{entry.stepMs});
}

} // namespace

std::uint32_t validateEntry(const SimEntry& entry, std::string& why)
{
    why = entryNameProblem(entry.name);
    if (!why.empty())
        return ERROR_INVALID_NAME_RAS;
    if (std::uint32_t code = checkText(entry.phone, RAS_MaxPhoneNumber, "the phone number", why))
        return code;
    if (std::uint32_t code = checkText(entry.device, RAS_MaxDeviceName, "the device name", why))
        return code;
    if (std::uint32_t code = checkText(entry.user.value_or(""), UNLEN, "the user name", why))
        return code;
    if (std::uint32_t code = checkText(entry.password.value_or(""), PWLEN, "the password", why))
        return code;
    if (std::uint32_t code = checkText(entry.domain.value_or(""), DNLEN, "the domain", why))
        return code;
    if (!LineBehaviour::parse(entry.line)) {
        why = "unknown line behaviour '" + entry.line + "'";
        return ERROR_INVALID_PARAMETER_RAS;
    }
    if (entry.stepMs > 60000) {
        why = "the step delay is longer than 60000 ms";
        return ERROR_INVALID_PARAMETER_RAS;
    }
    return 0;
}

SimulatorDatabase::SimulatorDatabase(std::string path)
    : m_path(path),
      m_file(std::move(path), {kApplicationId, 1, kSchema, {"entries", "connections"}, true, true}, kBusyTimeoutMs)
{}

SimulatorDatabase::~SimulatorDatabase() = default;

std::string SimulatorDatabase::lastError() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastError;
}

std::uint32_t SimulatorDatabase::fail(std::uint32_t code, const std::string& what)
{
    m_lastError = what;
    return code;
}

std::uint32_t SimulatorDatabase::failSql(const std::string& what)
{
    return failSql(what, sqlite3_errcode(db()), sqlite3_errmsg(db()));
}

std::uint32_t SimulatorDatabase::failSql(const std::string& what, int rc, const std::string& detail)
{
    const std::uint32_t code =
        (rc == SQLITE_NOTADB || rc == SQLITE_CORRUPT) ? ERROR_CANNOT_LOAD_PHONEBOOK
        : (rc == SQLITE_READONLY || rc == SQLITE_BUSY || rc == SQLITE_FULL || rc == SQLITE_IOERR || rc == SQLITE_PERM)
            ? ERROR_CANNOT_WRITE_PHONEBOOK
            : ERROR_CANNOT_LOAD_PHONEBOOK;
    return fail(code, what + ": " + detail + " (" + m_path + ")");
}

// Opens the file on first use, and again after a failure or while there is no phonebook, so
// that a folder made later, a lock that has gone away or a phonebook another process made
// needs no restart. Nothing at the path is changed before it has been recognised as ours.
std::uint32_t SimulatorDatabase::open(bool create)
{
    const bool known = m_file.connection() != 0;
    switch (m_file.open(create ? SqliteOpenMode::Create : SqliteOpenMode::Read)) {
    case SqliteFileKind::Ours:
        break;
    case SqliteFileKind::Empty:
        return kNoPhonebook;
    case SqliteFileKind::Foreign:
        return fail(ERROR_CANNOT_LOAD_PHONEBOOK, m_path + " is not a telmaq phonebook; it is left as it is");
    case SqliteFileKind::Newer:
        return fail(ERROR_CANNOT_LOAD_PHONEBOOK, m_path + " was written by a newer telmaq; it is left as it is");
    case SqliteFileKind::Damaged:
        return fail(ERROR_CANNOT_LOAD_PHONEBOOK, m_path + " is damaged; it is left as it is");
    case SqliteFileKind::Unreadable:
        return failSql(create ? "the dial-up database cannot be set up" : "the dial-up database cannot be read",
                       m_file.errorCode(), m_file.error());
    case SqliteFileKind::Unreachable:
        if (m_file.error() == SqliteFile::kNotAFile)
            return fail(ERROR_CANNOT_OPEN_PHONEBOOK, m_path + " is not a file; it is left as it is");
        [[fallthrough]];
    case SqliteFileKind::NotMade:
        return fail(ERROR_CANNOT_OPEN_PHONEBOOK, m_path + ": " + m_file.error());
    }
    struct stat info;
    // Phonebooks of earlier versions were made with the umask's mode; they hold passwords.
    if (!known && ::stat(m_path.c_str(), &info) == 0 && (info.st_mode & 077) != 0)
        ::chmod(m_path.c_str(), 0600);
    return 0;
}

std::uint32_t SimulatorDatabase::entryNames(std::vector<std::string>& names)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    names.clear();
    if (std::uint32_t code = open())
        return code == kNoPhonebook ? 0 : code;
    Statement query(db(), "SELECT name FROM entries ORDER BY id");
    int rc;
    while ((rc = query.step()) == SQLITE_ROW)
        names.push_back(query.text(0));
    return rc == SQLITE_DONE ? 0 : failSql("the phonebook cannot be read");
}

std::uint32_t SimulatorDatabase::findEntry(const std::string& name, SimEntry& entry)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (std::uint32_t code = open())
        return code == kNoPhonebook ? fail(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, "no entry named " + echoed(name)) : code;
    Statement query(db(), kSelectEntry);
    return selectEntry(query, name, entry);
}

std::uint32_t SimulatorDatabase::selectEntry(Statement& query, const std::string& name, SimEntry& entry)
{
    query.bind(1, name);
    const int rc = query.step();
    if (rc == SQLITE_DONE)
        return fail(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, "no entry named " + echoed(name));
    if (rc != SQLITE_ROW)
        return failSql("the phonebook cannot be read");
    entry.name = query.text(0);
    entry.phone = query.text(1);
    entry.device = query.text(2);
    entry.user = query.optionalText(3);
    entry.password = query.optionalText(4);
    entry.domain = query.optionalText(5);
    entry.line = query.text(6);
    const std::int64_t step = query.integer(7);
    entry.stepMs = step < 0 ? 0 : step > 60000 ? 60000 : static_cast<std::uint32_t>(step);
    return 0;
}

std::uint32_t SimulatorDatabase::addEntry(const SimEntry& entry)
{
    std::string why;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (std::uint32_t code = validateEntry(entry, why))
        return fail(code, why);
    if (std::uint32_t code = open(true))
        return code;
    Statement insert(db(), "INSERT INTO entries(name, phone, device, user, password, domain, line, step_ms) "
                           "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
    bindEntry(insert, entry);
    const int rc = insert.step();
    if (rc == SQLITE_CONSTRAINT)
        return fail(ERROR_ALREADY_EXISTS_RAS, "an entry named " + echoed(entry.name) + " exists already");
    return rc == SQLITE_DONE ? 0 : failSql("the entry cannot be added");
}

std::uint32_t SimulatorDatabase::updateEntry(const SimEntry& entry)
{
    std::string why;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (std::uint32_t code = validateEntry(entry, why))
        return fail(code, why);
    if (std::uint32_t code = open())
        return code == kNoPhonebook ? fail(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, "no entry named " + echoed(entry.name))
                                    : code;
    Statement update(db(), "UPDATE entries SET phone = ?2, device = ?3, user = ?4, password = ?5, domain = ?6, "
                           "line = ?7, step_ms = ?8, dials = 0 WHERE name = ?1");
    bindEntry(update, entry);
    if (update.step() != SQLITE_DONE)
        return failSql("the entry cannot be changed");
    if (sqlite3_changes(db()) == 0)
        return fail(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, "no entry named " + echoed(entry.name));
    return 0;
}

std::uint32_t SimulatorDatabase::removeEntry(const std::string& name)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (std::uint32_t code = open())
        return code == kNoPhonebook ? fail(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, "no entry named " + echoed(name)) : code;
    Statement remove(db(), "DELETE FROM entries WHERE name = ?");
    remove.bind(1, name);
    if (remove.step() != SQLITE_DONE)
        return failSql("the entry cannot be removed");
    if (sqlite3_changes(db()) == 0)
        return fail(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, "no entry named " + echoed(name));
    return 0;
}

bool SimulatorDatabase::connectionAlive(std::int64_t pid, const std::string& pidStart, bool connected,
                                        std::int64_t dropAtMs, std::int64_t nowMs) const
{
    if (connected)
        return dropAtMs == 0 || nowMs < dropAtMs;
    return processAlive(static_cast<pid_t>(pid), pidStart);
}

std::uint32_t SimulatorDatabase::connections(std::vector<SimConnection>& list, std::int64_t nowMs)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    list.clear();
    if (std::uint32_t code = open())
        return code == kNoPhonebook ? 0 : code;
    std::vector<HRASCONN> gone;
    std::map<std::pair<std::int64_t, std::string>, bool> owners;
    {
        Statement query(db(), "SELECT handle, entry, device, connected, pid, pid_start, drop_ms FROM connections "
                              "ORDER BY handle");
        int rc;
        while ((rc = query.step()) == SQLITE_ROW) {
            const auto handle = static_cast<HRASCONN>(query.integer(0));
            const bool connected = query.integer(3) != 0;
            const std::int64_t dropAt = query.integer(6);
            const bool dropped = connected && dropAt != 0 && nowMs >= dropAt;
            if (connected && !dropped) {
                list.push_back({handle, query.text(1), query.text(2), true});
                continue;
            }
            // Most rows of a listing come from a handful of processes: ask the kernel once each.
            const auto owner = std::make_pair(query.integer(4), query.text(5));
            auto known = owners.find(owner);
            if (known == owners.end())
                known = owners.emplace(owner, processAlive(static_cast<pid_t>(owner.first), owner.second)).first;
            // A line that dropped stays in the file while its dialler lives, so that the
            // dialler, not we, takes the row and tells its notifier.
            if (!known->second)
                gone.push_back(handle);
            if (dropped || !known->second)
                continue;
            list.push_back({handle, query.text(1), query.text(2), connected});
        }
        if (rc != SQLITE_DONE)
            return failSql("the connections cannot be read");
    }
    // Clearing what has ended is housekeeping: a file we may only read still lists correctly.
    for (HRASCONN handle : gone) {
        Statement remove(db(), "DELETE FROM connections WHERE handle = ?");
        remove.bind(1, std::int64_t{handle}).step();
    }
    return 0;
}

std::uint32_t SimulatorDatabase::startDial(const std::string& entryName, std::int64_t nowMs, DialStart& start)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (std::uint32_t code = open())
        return code == kNoPhonebook ? fail(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, "no entry named " + echoed(entryName))
                                    : code;
    WriteTransaction transaction(db());
    if (!transaction.ok())
        return failSql("the dial-up database is busy");
    std::uint64_t dials = 0;
    {
        Statement query(db(), kSelectEntry);
        if (std::uint32_t code = selectEntry(query, entryName, start.entry))
            return code;
        const std::int64_t stored = query.integer(8);
        dials = stored < 0 ? 0 : static_cast<std::uint64_t>(stored);
    }
    const std::string device = start.entry.device.empty() ? kDefaultDevice : start.entry.device;
    {
        Statement query(db(), "SELECT connected, pid, pid_start, drop_ms FROM connections WHERE device = ?");
        query.bind(1, device);
        int rc;
        while ((rc = query.step()) == SQLITE_ROW)
            if (connectionAlive(query.integer(1), query.text(2), query.integer(0) != 0, query.integer(3), nowMs))
                return fail(ERROR_PORT_ALREADY_OPEN, "the device " + echoed(device) + " is in use");
        if (rc != SQLITE_DONE)
            return failSql("the connections cannot be read");
    }
    Statement count(db(), "UPDATE entries SET dials = dials + 1 WHERE name = ?");
    count.bind(1, entryName);
    const pid_t pid = ::getpid();
    Statement insert(db(), "INSERT INTO connections(entry, device, pid, pid_start, started_ms) VALUES(?, ?, ?, ?, ?)");
    insert.bind(1, start.entry.name).bind(2, device).bind(3, std::int64_t{pid}).bind(4, processStartTime(pid));
    insert.bind(5, nowMs);
    if (count.step() != SQLITE_DONE || insert.step() != SQLITE_DONE)
        return failSql("the dial cannot be recorded");
    const sqlite3_int64 handle = sqlite3_last_insert_rowid(db());
    if (handle <= 0 || handle > 0xFFFFFFFFll)
        return fail(ERROR_CANNOT_WRITE_PHONEBOOK, "no connection handle is left");
    if (!transaction.commit())
        return failSql("the dial cannot be recorded");
    start.handle = static_cast<HRASCONN>(handle);
    start.dialNumber = dials + 1;
    return 0;
}

bool SimulatorDatabase::markConnected(HRASCONN handle, std::int64_t nowMs, std::int64_t dropAtMs)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (open())
        return false;
    Statement update(db(), "UPDATE connections SET connected = 1, connected_ms = ?, drop_ms = ? WHERE handle = ?");
    update.bind(1, nowMs).bind(2, dropAtMs).bind(3, std::int64_t{handle});
    return update.step() == SQLITE_DONE && sqlite3_changes(db()) > 0;
}

bool SimulatorDatabase::connectionExists(HRASCONN handle)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (open())
        return false;
    Statement query(db(), "SELECT 1 FROM connections WHERE handle = ?");
    query.bind(1, std::int64_t{handle});
    return query.step() == SQLITE_ROW;
}

bool SimulatorDatabase::removeConnection(HRASCONN handle)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (open())
        return false;
    Statement remove(db(), "DELETE FROM connections WHERE handle = ?");
    remove.bind(1, std::int64_t{handle});
    return remove.step() == SQLITE_DONE && sqlite3_changes(db()) > 0;
}

} // namespace telmaq
