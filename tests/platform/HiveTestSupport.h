#pragma once

// The hive file's own helpers: SQLite and the file system of Linux.

#include "platform/registry/SqliteHive.h"
#include "support/FileContents.h"
#include "support/RegistryValues.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

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

// Overwrites the cells of a leaf page in the middle of a table's b-tree with garbage, as a
// stray write leaves it: the file keeps its size, a whole number of pages, and every other
// page, so that only a check of the b-tree's pages finds the damage. Answers the bytes left,
// or nothing when the table has fewer than three leaf pages.
inline std::string garbleLeafPage(const std::string& path, const char* table)
{
    int root = 0;
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_stmt* query = nullptr;
    sqlite3_prepare_v2(db, "SELECT rootpage FROM sqlite_master WHERE name = ?1", -1, &query, nullptr);
    sqlite3_bind_text(query, 1, table, -1, SQLITE_STATIC);
    if (sqlite3_step(query) == SQLITE_ROW)
        root = sqlite3_column_int(query, 0);
    sqlite3_finalize(query);
    sqlite3_close(db);

    std::string bytes = fileContents(path);
    if (root < 1 || bytes.size() < 100)
        return {};
    const auto byteAt = [&](std::size_t at) { return static_cast<std::size_t>(static_cast<unsigned char>(bytes[at])); };
    const auto u16 = [&](std::size_t at) { return byteAt(at) << 8 | byteAt(at + 1); };
    const auto u32 = [&](std::size_t at) { return u16(at) << 16 | u16(at + 2); };
    const std::size_t pageSize = u16(16) == 1 ? 65536 : u16(16);
    // The leaves from left to right; an interior page lists its children, the right-most last.
    std::vector<std::size_t> leaves;
    std::vector<std::size_t> pending{static_cast<std::size_t>(root)};
    while (!pending.empty()) {
        const std::size_t page = pending.back();
        pending.pop_back();
        if (page < 1 || page * pageSize > bytes.size())
            return {};
        const std::size_t start = (page - 1) * pageSize;
        const std::size_t header = start + (page == 1 ? 100 : 0);
        const std::size_t type = byteAt(header);
        if (type == 0x0a || type == 0x0d) {
            leaves.push_back(page);
            continue;
        }
        if (type != 0x02 && type != 0x05)
            return {};
        pending.push_back(u32(header + 8));
        for (std::size_t cell = u16(header + 3); cell-- > 0;)
            pending.push_back(u32(start + u16(header + 12 + 2 * cell)));
    }
    if (leaves.size() < 3)
        return {};
    const std::size_t page = leaves[leaves.size() / 2];
    const std::size_t start = (page - 1) * pageSize;
    const std::size_t cells = u16(start + 5) == 0 ? 65536 : u16(start + 5);
    std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(start + cells),
              bytes.begin() + static_cast<std::ptrdiff_t>(start + pageSize), '\xA5');
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
