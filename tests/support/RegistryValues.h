#pragma once

#include "platform/registry/Registry.h"

#include <cstdint>
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

} // namespace telmaq::test
