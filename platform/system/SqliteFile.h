#pragma once

#include <sys/types.h>

#include <cstdint>

#include <string>
#include <vector>

struct sqlite3;

namespace telmaq {

// How one kind of our private SQLite files is recognised and set up.
struct SqliteFileFormat
{
    int applicationId = 0; // our mark in the file's header
    int schemaVersion = 1;
    const char* schema = ""; // made inside one write transaction on an empty file
    // The tables every file of ours has.
    std::vector<std::string> tables;
    // Files made before the mark was set count as ours when they hold our tables and a version.
    bool knownByTables = false;
    // A sync per checkpoint instead of per commit: a power cut may lose the last changes but
    // never corrupts the file.
    bool syncLess = false;
};

// What lies at the path, as SqliteFile::open found it.
enum class SqliteFileKind
{
    Ours,        // our mark, our version and our tables, sound: db() is ready
    Empty,       // no file, or one with nothing in it yet; only a create sets it up
    Foreign,     // another program's database
    Newer,       // ours, written by a newer version
    Damaged,     // SQLite's structural check finds faults
    Unreadable,  // SQLite cannot read it: not a database, locked, an I/O error
    Unreachable, // not a regular file (a link, a folder, a pipe), or it cannot be opened
    NotMade,     // a create could not make the folders or the file
};

enum class SqliteOpenMode
{
    Read,     // the file is read and written, never made
    ReadOnly, // the file is only read
    Create,   // a missing file and its folders are made, an empty file is set up
};

// One of our private SQLite files: the hive, the phonebook, the history. The folders we make
// and the file are the user's alone; nothing at the path is changed until it is known as ours
// and sound, and no path of ours blocks the opening (a pipe, a device) or leads through a link.
class SqliteFile
{
public:
    // What error() says for a path that holds no regular file.
    static constexpr const char* kNotAFile = "not a file";

    SqliteFile(std::string path, SqliteFileFormat format, int busyTimeoutMs);
    ~SqliteFile();
    SqliteFile(const SqliteFile&) = delete;
    SqliteFile& operator=(const SqliteFile&) = delete;

    // Opens the file if needed and says what it is; db() is open only for Ours. A file that is
    // open already costs two stat calls; once it has changed on disk it is opened and checked
    // again, so that damage done under an open connection is found before the next use.
    SqliteFileKind open(SqliteOpenMode mode);
    void close();
    // Closes without copying the write-ahead log into the file: for a file found bad under an
    // open connection, which the next open judges afresh.
    void abandon();

    sqlite3* db() const { return m_db; }
    // A number for the open connection, new at every open; 0 while closed.
    int connection() const { return m_db ? m_opens : 0; }
    const std::string& path() const { return m_path; }
    // SQLite's code of the last failure (0 when there was none), and the failure in words.
    int errorCode() const { return m_errorCode; }
    const std::string& error() const { return m_error; }

private:
    // What the last check saw of the file and its write-ahead log.
    struct Stamp
    {
        ino_t inode = 0;
        off_t size = -1;
        long long modifiedNs = -1;
        off_t walSize = -1;
        long long walModifiedNs = -1;
        bool operator==(const Stamp& other) const;
    };

    SqliteFileKind connect(SqliteOpenMode mode);
    SqliteFileKind classify();
    SqliteFileKind checkSound();
    SqliteFileKind setUp();
    SqliteFileKind failed(SqliteFileKind kind, const std::string& error, int code = 0);
    SqliteFileKind sqliteFailed();
    Stamp stamp() const;
    std::int64_t dataVersion() const;
    void remember(const Stamp& checked);

    const std::string m_path;
    const std::string m_walPath;
    const SqliteFileFormat m_format;
    const int m_busyTimeoutMs;
    sqlite3* m_db = nullptr;
    int m_opens = 0;
    Stamp m_checked;
    std::int64_t m_changes = 0;     // this connection's changes at the check
    std::int64_t m_dataVersion = 0; // others' commits at the check, as SQLite counts them
    int m_errorCode = 0;
    std::string m_error;
};

} // namespace telmaq
