#pragma once

// The hive file's own helpers: SQLite and the file system of Linux.

#include "platform/registry/SqliteHive.h"
#include "support/FileContents.h"
#include "support/RegistryValues.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <string>

namespace telmaq::test {

// Cuts a file of ours short inside its last table page, as a full disk or a copy broken off
// leaves it: the rows may still read as if some were missing. Answers the bytes left, or
// nothing when the file has too few pages to cut.
inline std::string cutInsideLastPage(const std::string& path)
{
    std::string bytes = fileContents(path);
    if (bytes.size() < 100)
        return {};
    const std::size_t page = (static_cast<unsigned char>(bytes[16]) << 8) | static_cast<unsigned char>(bytes[17]);
    if (bytes.size() < 4 * page)
        return {};
    bytes.resize(bytes.size() - page + 2268);
    writeFile(path, bytes);
    return bytes;
}

inline mode_t modeOf(const std::string& path)
{
    struct stat info
    {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 0777 : 0;
}

// Runs SQL on a database as another program would.
inline void runSql(const std::string& path, const char* sql)
{
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

} // namespace telmaq::test
