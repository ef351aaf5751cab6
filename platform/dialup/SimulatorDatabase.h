#pragma once

#include "platform/dialup/ServiceAnswers.h"
#include "platform/system/SqliteFile.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace telmaq {

class Statement;

// Codes of the line simulator beyond those of the service interface.
constexpr std::uint32_t ERROR_INVALID_NAME_RAS = 123;
constexpr std::uint32_t ERROR_ALREADY_EXISTS_RAS = 183;
constexpr std::uint32_t ERROR_CANNOT_OPEN_PHONEBOOK = 621;
constexpr std::uint32_t ERROR_CANNOT_LOAD_PHONEBOOK = 622;
constexpr std::uint32_t ERROR_CANNOT_WRITE_PHONEBOOK = 624;

// One phonebook entry of the simulator. A credential that is not stored is empty (nullopt),
// which is not the same as stored empty.
struct SimEntry
{
    std::string name;
    std::string phone;
    std::string device;
    std::optional<std::string> user;
    std::optional<std::string> password;
    std::optional<std::string> domain;
    std::string line = "connect";
    std::uint32_t stepMs = 300;
};

// An active connection: a dial in progress or a line connected.
struct SimConnection
{
    HRASCONN handle = kNoConnection;
    std::string entry;
    std::string device;
    bool connected = false;
};

// The simulator's shared file: the phonebook and the active connections of every process of
// the user. Every call answers 0 or a service code and is safe from any thread.
class SimulatorDatabase
{
public:
    // The device of an entry that names none: one modem, as on most machines that dial.
    static constexpr const char* kDefaultDevice = "telmaq-modem0";
    static constexpr const char* kDeviceType = "modem";

    explicit SimulatorDatabase(std::string path);
    ~SimulatorDatabase();
    SimulatorDatabase(const SimulatorDatabase&) = delete;
    SimulatorDatabase& operator=(const SimulatorDatabase&) = delete;

    const std::string& path() const { return m_path; }
    // The last failure in words, for the command-line tool.
    std::string lastError() const;

    std::uint32_t entryNames(std::vector<std::string>& names);
    // 0, ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, or a failure of the file.
    std::uint32_t findEntry(const std::string& name, SimEntry& entry);
    // Adds a new entry at the end of the phonebook; ERROR_ALREADY_EXISTS_RAS for a name in use.
    std::uint32_t addEntry(const SimEntry& entry);
    // Replaces an entry's fields (found by entry.name); its dial count starts again.
    std::uint32_t updateEntry(const SimEntry& entry);
    std::uint32_t removeEntry(const std::string& name);

    // The connections that are still alive, oldest first. Dials whose process has ended and
    // lines whose far end has hung up by now are left out, and cleared from the file.
    std::uint32_t connections(std::vector<SimConnection>& list, std::int64_t nowMs);

    struct DialStart
    {
        HRASCONN handle = kNoConnection;
        SimEntry entry;
        std::uint64_t dialNumber = 0; // this entry's dials so far, this one included
    };
    // Takes the entry's device for a new dial by this process; ERROR_PORT_ALREADY_OPEN when an
    // active connection holds it.
    std::uint32_t startDial(const std::string& entryName, std::int64_t nowMs, DialStart& start);
    // Marks a dial connected; dropAtMs 0 means the line stays up. False when the row is gone
    // (hung up by some process).
    bool markConnected(HRASCONN handle, std::int64_t nowMs, std::int64_t dropAtMs);
    bool connectionExists(HRASCONN handle);
    // Removes a connection; false when there was none with that handle.
    bool removeConnection(HRASCONN handle);

private:
    // What open() answers, instead of a code, while there is no phonebook to read and none was
    // to be made: no file, or an empty one. Reading commands see an empty phonebook then.
    static constexpr std::uint32_t kNoPhonebook = 0xFFFFFFFFu;
    // 0 once the file is open and known to be our phonebook; kNoPhonebook; or a code. Only
    // create makes a file, or sets up an empty one.
    std::uint32_t open(bool create = false);
    std::uint32_t fail(std::uint32_t code, const std::string& what);
    std::uint32_t failSql(const std::string& what);
    std::uint32_t failSql(const std::string& what, int sqliteCode, const std::string& detail);
    // Reads the entry named name through query (kSelectEntry), leaving its row current; 0 or a code.
    std::uint32_t selectEntry(Statement& query, const std::string& name, SimEntry& entry);
    bool connectionAlive(std::int64_t pid, const std::string& pidStart, bool connected, std::int64_t dropAtMs,
                         std::int64_t nowMs) const;

    sqlite3* db() const { return m_file.db(); }

    const std::string m_path;
    mutable std::mutex m_mutex;
    SqliteFile m_file;
    std::string m_lastError;
};

// Checks an entry's fields against the service's limits; 0 or a code, with the reason in why.
std::uint32_t validateEntry(const SimEntry& entry, std::string& why);

} // namespace telmaq
