#pragma once

#include "platform/registry/Registry.h"

#include <cstdint>
#include <string>

namespace telmaq {

// The per-user profile of a dialog application: integers and texts in sections under
// HKEY_CURRENT_USER\Software\<company>\<application>\<section>. Every operation reaches its
// section afresh and closes what it opened, creating missing keys on reading as well as on
// writing. Nothing is cached, so a value changed by another program is seen at once.
class Profile
{
public:
    Profile(IRegistry& registry, std::string company, std::string application);

    // The stored value if it holds exactly four bytes, whatever its type tag; else fallback.
    std::int32_t readInt(const char* section, const char* entry, std::int32_t fallback);

    // The stored text up to its first zero (or all of it when it has none); else fallback.
    std::string readText(const char* section, const char* entry, const std::string& fallback);

    // Stores a four-byte REG_DWORD; false when the section or the value could not be written.
    bool writeInt(const char* section, const char* entry, std::int32_t value);

    // Stores the text up to its first zero, followed by one zero, as REG_SZ.
    bool writeText(const char* section, const char* entry, const std::string& text);

private:
    class SectionKey;

    std::string sectionPath(const char* section) const;

    IRegistry& m_registry;
    const std::string m_company;
    const std::string m_application;
};

} // namespace telmaq
