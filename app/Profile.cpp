#include "app/Profile.h"

#include <cstring>
#include <vector>

namespace telmaq {

// The section key, reached for one operation and closed with it.
class Profile::SectionKey
{
public:
    SectionKey(IRegistry& registry, const std::string& path) : m_registry(registry)
    {
        // One call for the whole path: the hive walks it within one read of its file. Software
        // is there on any desktop that has a registry; our hive starts empty, so it is created
        // like the rest.
        if (m_registry.createKey(HKEY_CURRENT_USER, path.c_str(), KEY_READ | KEY_WRITE, &m_key) != ERROR_SUCCESS)
            m_key = 0;
    }
    ~SectionKey()
    {
        if (m_key)
            m_registry.closeKey(m_key);
    }
    SectionKey(const SectionKey&) = delete;
    SectionKey& operator=(const SectionKey&) = delete;

    bool ok() const { return m_key != 0; }
    HKEY key() const { return m_key; }

private:
    IRegistry& m_registry;
    HKEY m_key = 0;
};

Profile::Profile(IRegistry& registry, std::string company, std::string application)
    : m_registry(registry), m_company(std::move(company)), m_application(std::move(application))
{}

std::string Profile::sectionPath(const char* section) const
{
    return "Software\\" + m_company + "\\" + m_application + "\\" + section;
}

std::int32_t Profile::readInt(const char* section, const char* entry, std::int32_t fallback)
{
    SectionKey key(m_registry, sectionPath(section));
    if (!key.ok())
        return fallback;
    std::uint8_t bytes[4] = {};
    std::uint32_t size = sizeof bytes;
    if (m_registry.queryValue(key.key(), entry, nullptr, bytes, &size) != ERROR_SUCCESS || size != sizeof bytes)
        return fallback;
    const std::uint32_t value = static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
                                static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    return static_cast<std::int32_t>(value);
}

std::string Profile::readText(const char* section, const char* entry, const std::string& fallback)
{
    SectionKey key(m_registry, sectionPath(section));
    if (!key.ok())
        return fallback;
    std::uint32_t size = 0;
    if (m_registry.queryValue(key.key(), entry, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return fallback;
    // Another program may make the value longer between asking its size and reading it.
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::vector<char> buffer(size);
        std::uint32_t got = size;
        const long rc =
            m_registry.queryValue(key.key(), entry, nullptr, reinterpret_cast<std::uint8_t*>(buffer.data()), &got);
        if (rc == ERROR_MORE_DATA) {
            size = got;
            continue;
        }
        if (rc != ERROR_SUCCESS)
            return fallback;
        // The stored bytes need not end in a zero, and may go on after one: the text is what
        // comes before the first zero, and never more than was stored.
        const std::size_t length = got;
        const void* zero = length ? std::memchr(buffer.data(), '\0', length) : nullptr;
        return std::string(buffer.data(), zero ? static_cast<const char*>(zero) - buffer.data() : length);
    }
    return fallback;
}

bool Profile::writeInt(const char* section, const char* entry, std::int32_t value)
{
    SectionKey key(m_registry, sectionPath(section));
    if (!key.ok())
        return false;
    const auto raw = static_cast<std::uint32_t>(value);
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(raw), static_cast<std::uint8_t>(raw >> 8),
                                   static_cast<std::uint8_t>(raw >> 16), static_cast<std::uint8_t>(raw >> 24)};
    return m_registry.setValue(key.key(), entry, REG_DWORD, bytes, sizeof bytes) == ERROR_SUCCESS;
}

bool Profile::writeText(const char* section, const char* entry, const std::string& text)
{
    SectionKey key(m_registry, sectionPath(section));
    if (!key.ok())
        return false;
    const std::size_t length = std::strlen(text.c_str());
    return m_registry.setValue(key.key(), entry, REG_SZ, reinterpret_cast<const std::uint8_t*>(text.c_str()),
                               static_cast<std::uint32_t>(length + 1)) == ERROR_SUCCESS;
}

} // namespace telmaq
