#include "platform/win32/Win32Registry.h"

namespace telmaq {

using win32::NativeHandle;

Win32Registry::~Win32Registry()
{
    for (const auto& [key, handle] : m_keys)
        win32::nativeCloseKey(handle);
}

bool Win32Registry::native(HKEY key, NativeHandle& handle)
{
    if (key == HKEY_CURRENT_USER) {
        handle = win32::nativeCurrentUser();
        return true;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_keys.find(key);
    if (it == m_keys.end())
        return false;
    handle = it->second;
    return true;
}

long Win32Registry::open(Open call, HKEY parent, const char* subKey, std::uint32_t access, HKEY* result)
{
    NativeHandle parentHandle = 0;
    if (!result)
        return ERROR_INVALID_PARAMETER;
    if (!native(parent, parentHandle))
        return ERROR_INVALID_HANDLE;
    NativeHandle opened = 0;
    const long rc = call(parentHandle, subKey, access, &opened);
    if (rc != ERROR_SUCCESS)
        return rc;
    std::lock_guard<std::mutex> lock(m_mutex);
    // Numbers from 1 up, never one of the predefined keys (their top bit is set).
    while (m_keys.count(m_next) || m_next == 0 || (m_next & 0x80000000u))
        m_next = (m_next & 0x80000000u) ? 1 : m_next + 1;
    *result = m_next++;
    m_keys[*result] = opened;
    return ERROR_SUCCESS;
}

long Win32Registry::openKey(HKEY parent, const char* subKey, std::uint32_t access, HKEY* result)
{
    return open(&win32::nativeOpenKey, parent, subKey, access, result);
}

long Win32Registry::createKey(HKEY parent, const char* subKey, std::uint32_t access, HKEY* result)
{
    return open(&win32::nativeCreateKey, parent, subKey, access, result);
}

long Win32Registry::queryValue(HKEY key, const char* name, std::uint32_t* type, std::uint8_t* data, std::uint32_t* size)
{
    NativeHandle handle = 0;
    if (!native(key, handle))
        return ERROR_INVALID_HANDLE;
    return win32::nativeQueryValue(handle, name, type, data, size);
}

long Win32Registry::setValue(HKEY key, const char* name, std::uint32_t type, const std::uint8_t* data,
                             std::uint32_t size)
{
    NativeHandle handle = 0;
    if (!native(key, handle))
        return ERROR_INVALID_HANDLE;
    return win32::nativeSetValue(handle, name, type, data, size);
}

long Win32Registry::deleteValue(HKEY key, const char* name)
{
    NativeHandle handle = 0;
    if (!native(key, handle))
        return ERROR_INVALID_HANDLE;
    return win32::nativeDeleteValue(handle, name);
}

long Win32Registry::deleteKey(HKEY parent, const char* subKey)
{
    NativeHandle handle = 0;
    if (!native(parent, handle))
        return ERROR_INVALID_HANDLE;
    // Without a sub-key the registry would empty the parent itself.
    if (!subKey || !*subKey)
        return ERROR_INVALID_PARAMETER;
    return win32::nativeDeleteTree(handle, subKey);
}

long Win32Registry::closeKey(HKEY key)
{
    if (key == HKEY_CURRENT_USER)
        return ERROR_SUCCESS;
    NativeHandle handle = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto it = m_keys.find(key);
        if (it == m_keys.end())
            return ERROR_INVALID_HANDLE;
        handle = it->second;
        m_keys.erase(it);
    }
    return win32::nativeCloseKey(handle);
}

} // namespace telmaq
