#pragma once

#include "platform/dialup/DialupService.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace telmaq {

// How a dial-up service of our own answers its callers: fixed-size text fields, the capacity
// protocol of the listings and the copy of an error text.

constexpr std::uint32_t ERROR_INVALID_PARAMETER_RAS = 87;
constexpr std::uint32_t ERROR_INSUFFICIENT_BUFFER_RAS = 122;

inline void copyText(char* field, std::size_t size, const std::string& text)
{
    const std::size_t n = std::min(size - 1, text.size());
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}

inline std::string fieldText(const char* field, std::size_t size)
{
    return std::string(field, ::strnlen(field, size));
}

// The capacity protocol of both listings: 603 and the size needed when the buffer is too
// small, else the records written by fill(i, record).
template <typename Record, typename Fill>
std::uint32_t answerListing(Record* records, std::uint32_t* bufferSize, std::uint32_t* count, std::size_t n, Fill fill)
{
    if (!bufferSize || !count)
        return ERROR_INVALID_PARAMETER_RAS;
    if (records && *bufferSize >= sizeof(Record) && records[0].dwSize != sizeof(Record))
        return ERROR_INVALID_SIZE;
    const std::uint64_t needed = static_cast<std::uint64_t>(n) * sizeof(Record);
    if (needed > 0xFFFFFFFFull)
        return ERROR_NOT_ENOUGH_MEMORY;
    *count = static_cast<std::uint32_t>(n);
    if (!records || *bufferSize < needed) {
        *bufferSize = static_cast<std::uint32_t>(needed);
        return n == 0 ? 0 : ERROR_BUFFER_TOO_SMALL;
    }
    for (std::size_t i = 0; i < n; ++i) {
        std::memset(&records[i], 0, sizeof(Record));
        records[i].dwSize = sizeof(Record);
        fill(i, records[i]);
    }
    *bufferSize = static_cast<std::uint32_t>(needed);
    return 0;
}

// getErrorString's answer for a known text (null when the code has none).
inline std::uint32_t answerErrorText(const char* text, char* buffer, std::uint32_t bufferSize)
{
    if (!text)
        return ERROR_INVALID_PARAMETER_RAS;
    const std::size_t size = std::strlen(text) + 1;
    if (!buffer || size > bufferSize)
        return ERROR_INSUFFICIENT_BUFFER_RAS;
    std::memcpy(buffer, text, size);
    return 0;
}

} // namespace telmaq
