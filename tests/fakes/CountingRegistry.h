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
        const long rc = m_inner.openKey(parent, subKey, access, result);
        calls.push_back("open " + std::string(subKey ? subKey : "") + " " + std::to_string(access));
        if (rc == ERROR_SUCCESS)
            ++open;
        return rc;
    }
    long createKey(HKEY parent, const char* subKey, std::uint32_t access, HKEY* result) override
    {
        const long rc = m_inner.createKey(parent, subKey, access, result);
        calls.push_back("create " + std::string(subKey ? subKey : "") + " " + std::to_string(access));
        if (rc == ERROR_SUCCESS)
            ++open;
        return rc;
    }
    long queryValue(HKEY key, const char* name, std::uint32_t* type, std::uint8_t* data, std::uint32_t* size) override
    {
        calls.push_back("query " + std::string(name ? name : ""));
        return m_inner.queryValue(key, name, type, data, size);
    }
    long setValue(HKEY key, const char* name, std::uint32_t type, const std::uint8_t* data, std::uint32_t size) override
    {
        calls.push_back("set " + std::string(name ? name : ""));
        ++writes;
        if (name && refuseWritesOf == name)
            return ERROR_ACCESS_DENIED;
        return m_inner.setValue(key, name, type, data, size);
    }
    long deleteValue(HKEY key, const char* name) override
    {
        calls.push_back("deleteValue " + std::string(name ? name : ""));
        return m_inner.deleteValue(key, name);
    }
    long deleteKey(HKEY parent, const char* subKey) override
    {
        calls.push_back("deleteKey " + std::string(subKey ? subKey : ""));
        return m_inner.deleteKey(parent, subKey);
    }
    long closeKey(HKEY key) override
    {
        const long rc = m_inner.closeKey(key);
        if (rc == ERROR_SUCCESS && key != HKEY_CURRENT_USER)
            --open;
        return rc;
    }

    int open = 0;   // handles handed out and not yet closed
    int writes = 0; // setValue calls
    std::vector<std::string> calls;
    std::string refuseWritesOf; // a value name whose writes fail with ERROR_ACCESS_DENIED

private:
    IRegistry& m_inner;
};

} // namespace telmaq::test
