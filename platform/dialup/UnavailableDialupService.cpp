#include "platform/dialup/UnavailableDialupService.h"

#include <cstring>

namespace telmaq {

namespace {

// What the services answer for a code they have no text for.
constexpr std::uint32_t kUnknownCode = 87;

} // namespace

std::uint32_t UnavailableDialupService::getErrorString(std::uint32_t code, char* buffer, std::uint32_t bufferSize)
{
    if (code != m_code)
        return kUnknownCode;
    if (!buffer || m_text.size() >= bufferSize)
        return ERROR_BUFFER_TOO_SMALL;
    std::memcpy(buffer, m_text.c_str(), m_text.size() + 1);
    return 0;
}

} // namespace telmaq
