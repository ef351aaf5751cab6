#include "platform/win32/NativeApi.h"

#include <windows.h>

namespace telmaq::win32 {

namespace {

HKEY key(NativeHandle handle)
{
    return reinterpret_cast<HKEY>(handle);
}

} // namespace

NativeHandle nativeCurrentUser()
{
    return reinterpret_cast<NativeHandle>(HKEY_CURRENT_USER);
}

long nativeOpenKey(NativeHandle parent, const char* subKey, std::uint32_t access, NativeHandle* result)
{
    HKEY opened = nullptr;
    const LONG rc = RegOpenKeyExA(key(parent), subKey, 0, access, &opened);
    *result = reinterpret_cast<NativeHandle>(opened);
    return rc;
}

long nativeCreateKey(NativeHandle parent, const char* subKey, std::uint32_t access, NativeHandle* result)
{
    HKEY created = nullptr;
    const LONG rc =
        RegCreateKeyExA(key(parent), subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &created, nullptr);
    *result = reinterpret_cast<NativeHandle>(created);
    return rc;
}

long nativeQueryValue(NativeHandle handle, const char* name, std::uint32_t* type, std::uint8_t* data,
                      std::uint32_t* size)
{
    DWORD nativeType = 0;
    DWORD nativeSize = size ? *size : 0;
    const LONG rc =
        RegQueryValueExA(key(handle), name, nullptr, type ? &nativeType : nullptr, data, size ? &nativeSize : nullptr);
    if (type)
        *type = nativeType;
    if (size)
        *size = nativeSize;
    return rc;
}

long nativeSetValue(NativeHandle handle, const char* name, std::uint32_t type, const std::uint8_t* data,
                    std::uint32_t size)
{
    return RegSetValueExA(key(handle), name, 0, type, data, size);
}

long nativeDeleteValue(NativeHandle handle, const char* name)
{
    return RegDeleteValueA(key(handle), name);
}

long nativeDeleteTree(NativeHandle parent, const char* subKey)
{
    // RegDeleteTreeA with a sub-key removes that key itself as well as everything below it.
    return RegDeleteTreeA(key(parent), subKey);
}

long nativeCloseKey(NativeHandle handle)
{
    return RegCloseKey(key(handle));
}

} // namespace telmaq::win32
