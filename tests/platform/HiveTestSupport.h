#pragma once

#include "platform/registry/SqliteHive.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace telmaq::test {

inline long setDword(IRegistry& hive, HKEY key, const char* name, std::uint32_t value)
{
    return hive.setValue(key, name, REG_DWORD, reinterpret_cast<const std::uint8_t*>(&value), 4);
}

inline long setText(IRegistry& hive, HKEY key, const char* name, const std::string& text)
{
    return hive.setValue(key, name, REG_SZ, reinterpret_cast<const std::uint8_t*>(text.c_str()),
                         static_cast<std::uint32_t>(text.size() + 1));
}

// The value's bytes, or the registry's code as text when it cannot be read.
inline std::string readBytes(IRegistry& hive, HKEY key, const char* name, std::uint32_t* type = nullptr)
{
    std::uint32_t size = 0;
    long rc = hive.queryValue(key, name, type, nullptr, &size);
    std::string bytes(size, '\0');
    if (rc == ERROR_SUCCESS)
        rc = hive.queryValue(key, name, type, reinterpret_cast<std::uint8_t*>(bytes.data()), &size);
    return rc == ERROR_SUCCESS ? bytes.substr(0, size) : "error " + std::to_string(rc);
}

// A file's bytes; none, as a missing file, for a folder.
inline std::string fileContents(const std::string& path)
{
    if (std::filesystem::is_directory(path))
        return {};
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::string& path, const std::string& contents)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
}

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
