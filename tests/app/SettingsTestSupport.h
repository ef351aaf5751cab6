#pragma once

#include "platform/HiveTestSupport.h"
#include "platform/registry/SqliteHive.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace telmaq::test {

// Stores raw bytes under the settings key, as another program or an older version might.
inline long storeRaw(SqliteHive& hive, const char* name, std::uint32_t type, const std::string& bytes)
{
    HKEY key = 0;
    long rc = hive.createKey(HKEY_CURRENT_USER, "Software\\wexhal\\telmaq\\Settings", KEY_ALL_ACCESS, &key);
    if (rc == ERROR_SUCCESS)
        rc = hive.setValue(key, name, type, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                           static_cast<std::uint32_t>(bytes.size()));
    hive.closeKey(key);
    return rc;
}

// Every value under the settings key: name -> type tag and bytes. Missing key: "no key".
inline std::map<std::string, std::string> storedSettings(SqliteHive& hive)
{
    HKEY key = 0;
    if (hive.openKey(HKEY_CURRENT_USER, "Software\\wexhal\\telmaq\\Settings", KEY_READ, &key) != ERROR_SUCCESS)
        return {{"no key", ""}};
    std::vector<SqliteHive::Value> values;
    hive.values(key, &values);
    hive.closeKey(key);
    std::map<std::string, std::string> result;
    for (const auto& value : values)
        result[value.name] = std::to_string(value.type) + ":" + std::string(value.data.begin(), value.data.end());
    return result;
}

// A stored value as storedSettings shows it: a little-endian number or a text with its zero.
inline std::string dword(std::int32_t value)
{
    const auto raw = static_cast<std::uint32_t>(value);
    return "4:" + std::string{static_cast<char>(raw), static_cast<char>(raw >> 8), static_cast<char>(raw >> 16),
                              static_cast<char>(raw >> 24)};
}
inline std::string sz(const std::string& text)
{
    return "1:" + text + '\0';
}

} // namespace telmaq::test
