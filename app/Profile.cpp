#include "app/Profile.h"

#include <cstring>
#include <vector>

namespace telmaq {

// The keys from Software down to one section, opened for one operation and closed with it.
class Profile::SectionKey
{
public:
    SectionKey(IRegistry& registry, const char* const* path, int depth) : m_registry(registry)
    {
        HKEY parent = HKEY_CURRENT_USER;
        for (int i = 0; i < depth; ++i) {
            HKEY next = 0;
            // Software is there on any desktop that has a registry; our hive starts empty, so
            // it is created like the rest.
            if (m_registry.createKey(parent, path[i], KEY_READ | KEY_WRITE, &next) != ERROR_SUCCESS)
                return;
            m_opened[m_count++] = next;
            parent = next;
        }
        m_ok = true;
    }
    ~SectionKey()
    {
        while (m_count > 0)
            m_registry.closeKey(m_opened[--m_count]);
    }
    SectionKey(const SectionKey&) = delete;
    SectionKey& operator=(const SectionKey&) = delete;

    bool ok() const { return m_ok; }
    HKEY key() const { return m_opened[m_count - 1]; }

private:
    IRegistry& m_registry;
    HKEY m_opened[4] = {};
    int m_count = 0;
    bool m_ok = false;
};

namespace {

constexpr int kDepth = 4;

} // namespace

Profile::Profile(IRegistry& registry, std::string company, std::string application)
    : m_registry(registry), m_company(std::move(company)), m_application(std::move(application))
{}

std::int32_t Profile::readInt(const char* section, const char* entry, std::int32_t fallback)
{
    const char* const path[kDepth] = {"Software", m_company.c_str(), m_application.c_str(), section};
    SectionKey key(m_registry, path, kDepth);
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
    const char* const path[kDepth] = {"Software", m_company.c_str(), m_application.c_str(), section};
    SectionKey key(m_registry, path, kDepth);
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
    const char* const path[kDepth] = {"Software", m_company.c_str(), m_application.c_str(), section};
    SectionKey key(m_registry, path, kDepth);
    if (!key.ok())
        return false;
    const auto raw = static_cast<std::uint32_t>(value);
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(raw), static_cast<std::uint8_t>(raw >> 8),
                                   static_cast<std::uint8_t>(raw >> 16), static_cast<std::uint8_t>(raw >> 24)};
    return m_registry.setValue(key.key(), entry, REG_DWORD, bytes, sizeof bytes) == ERROR_SUCCESS;
}

bool Profile::writeText(const char* section, const char* entry, const std::string& text)
{
    const char* const path[kDepth] = {"Software", m_company.c_str(), m_application.c_str(), section};
    SectionKey key(m_registry, path, kDepth);
    if (!key.ok())
        return false;
    const std::size_t length = std::strlen(text.c_str());
    return m_registry.setValue(key.key(), entry, REG_SZ, reinterpret_cast<const std::uint8_t*>(text.c_str()),
                               static_cast<std::uint32_t>(length + 1)) == ERROR_SUCCESS;
}

} // namespace telmaq
