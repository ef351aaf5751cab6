#include "dialup/SystemDialupSettings.h"

#include <cstring>

namespace telmaq {
namespace {

constexpr const char* kKey = "RemoteAccess";

} // namespace

SystemDialupSettings::SystemDialupSettings(IRegistry& registry) : m_registry(registry) {}

long SystemDialupSettings::noteFailure(long rc)
{
    const bool hiveFailed = rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND && rc != ERROR_MORE_DATA;
    if (hiveFailed && m_hiveError == ERROR_SUCCESS)
        m_hiveError = rc;
    return rc;
}

std::uint32_t SystemDialupSettings::readNumber(const char* name)
{
    HKEY key = 0;
    if (noteFailure(m_registry.openKey(HKEY_CURRENT_USER, kKey, KEY_READ, &key)) != ERROR_SUCCESS)
        return 0;
    std::uint8_t bytes[4] = {};
    std::uint32_t size = sizeof bytes;
    const long rc = noteFailure(m_registry.queryValue(key, name, nullptr, bytes, &size));
    m_registry.closeKey(key);
    // The type tag is not looked at, but the size is: fewer than four bytes is no number
    // either, rather than a number padded with whatever the buffer held.
    if (rc != ERROR_SUCCESS || size != sizeof bytes)
        return 0;
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

bool SystemDialupSettings::ReadEnableRedial()
{
    return readNumber("EnableRedial") != 0;
}

std::int32_t SystemDialupSettings::ReadRedialTry()
{
    return static_cast<std::int32_t>(readNumber("RedialTry"));
}

std::int32_t SystemDialupSettings::ReadRedialWaitSeconds()
{
    const std::uint32_t raw = readNumber("RedialWait");
    return static_cast<std::int32_t>((raw & 0xFFFFu) + (raw >> 16) * 60u);
}

const char* SystemDialupSettings::ReadInternetProfile()
{
    HKEY key = 0;
    if (noteFailure(m_registry.openKey(HKEY_CURRENT_USER, kKey, KEY_READ, &key)) != ERROR_SUCCESS)
        return nullptr;
    std::uint32_t size = sizeof m_profile;
    const long rc = noteFailure(
        m_registry.queryValue(key, "InternetProfile", nullptr, reinterpret_cast<std::uint8_t*>(m_profile), &size));
    m_registry.closeKey(key);
    if (rc != ERROR_SUCCESS)
        return nullptr;
    // The stored text need not end in a zero. One that fills the whole buffer without one is
    // longer than a name may be; a shorter one is ended right after its bytes, so nothing of
    // an earlier, longer name shows through.
    if (size < sizeof m_profile) {
        m_profile[size] = '\0';
    } else if (!std::memchr(m_profile, '\0', sizeof m_profile)) {
        m_profile[0] = '\0';
        return nullptr;
    }
    return m_profile;
}

int SystemDialupSettings::WriteInternetProfile(const std::string& entry)
{
    // Up to the first zero, as the name the caller means; a name too long to be read back
    // would leave no default entry at the next start, so it is not written.
    const std::size_t length = std::strlen(entry.c_str());
    if (length >= sizeof m_profile)
        return 0;
    HKEY key = 0;
    if (m_registry.openKey(HKEY_CURRENT_USER, kKey, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return 0;
    const long rc =
        m_registry.setValue(key, "InternetProfile", REG_SZ, reinterpret_cast<const std::uint8_t*>(entry.c_str()),
                            static_cast<std::uint32_t>(length + 1));
    m_registry.closeKey(key);
    return rc == ERROR_SUCCESS ? 1 : 0;
}

} // namespace telmaq
