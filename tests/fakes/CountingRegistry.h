#pragma once

#include "platform/registry/Registry.h"

#include <string>
#include <vector>

namespace telmaq::test {

// Passes every call on to a real registry and remembers what was asked, so that a test can
// tell which keys were opened with which access and whether each was closed again.
class CountingRegistry : public IRegistry
{
public:
    explicit CountingRegistry(IRegistry& inner) : m_inner(inner) {}

    long openKey(HKEY parent, const char* subKey, std::uint32_t access, HKEY* result) override
    {
        return opened(m_inner.openKey(parent, subKey, access, result), "open ", subKey, access);
    }
    long createKey(HKEY parent, const char* subKey, std::uint32_t access, HKEY* result) override
    {
        return opened(m_inner.createKey(parent, subKey, access, result), "create ", subKey, access);
    }
    long queryValue(HKEY key, const char* name, std::uint32_t* type, std::uint8_t* data, std::uint32_t* size) override
    {
        return note("query ", name), m_inner.queryValue(key, name, type, data, size);
    }
    long setValue(HKEY key, const char* name, std::uint32_t type, const std::uint8_t* data, std::uint32_t size) override
    {
        note("set ", name), ++writes;
        return name && refuseWritesOf == name ? ERROR_ACCESS_DENIED : m_inner.setValue(key, name, type, data, size);
    }
    long deleteValue(HKEY key, const char* name) override
    {
        return note("deleteValue ", name), m_inner.deleteValue(key, name);
    }
    long deleteKey(HKEY parent, const char* subKey) override
    {
        return note("deleteKey ", subKey), m_inner.deleteKey(parent, subKey);
    }
    long closeKey(HKEY key) override
    {
        const long rc = m_inner.closeKey(key);
        open -= rc == ERROR_SUCCESS && key != HKEY_CURRENT_USER ? 1 : 0;
        return rc;
    }

    int open = 0;   // handles handed out and not yet closed
    int writes = 0; // setValue calls
    std::vector<std::string> calls;
    std::string refuseWritesOf; // a value name whose writes fail with ERROR_ACCESS_DENIED

private:
    void note(const char* call, const char* name) { calls.push_back(call + std::string(name ? name : "")); }
    long opened(long rc, const char* call, const char* subKey, std::uint32_t access)
    {
        note(call, subKey);
        calls.back() += " " + std::to_string(access);
        open += rc == ERROR_SUCCESS ? 1 : 0;
        return rc;
    }

    IRegistry& m_inner;
};

} // namespace telmaq::test
