#pragma once

#include "support/RegistryValues.h"

#include <gtest/gtest.h>

#include <string>

namespace telmaq::test {

// Stores raw bytes as the dial-up tools, another program or an older version might.
inline void storeValue(IRegistry& hive, const char* path, const char* name, std::uint32_t type,
                       const std::string& bytes)
{
    HKEY key = 0;
    ASSERT_EQ(hive.createKey(HKEY_CURRENT_USER, path, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    EXPECT_EQ(hive.setValue(key, name, type, data, static_cast<std::uint32_t>(bytes.size())), ERROR_SUCCESS);
    hive.closeKey(key);
}

// A number as the registry holds one: four bytes, least significant first.
inline std::string le32(std::int64_t value)
{
    return {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
            static_cast<char>(value >> 24)};
}

// A stored value as "type:bytes", or "" when there is none.
inline std::string stored(IRegistry& hive, const char* path, const char* name)
{
    HKEY key = 0;
    std::uint32_t type = 0;
    if (hive.openKey(HKEY_CURRENT_USER, path, KEY_READ, &key) != ERROR_SUCCESS)
        return "";
    const std::string bytes = readBytes(hive, key, name, &type);
    hive.closeKey(key);
    return type ? std::to_string(type) + ":" + bytes : "";
}

} // namespace telmaq::test
