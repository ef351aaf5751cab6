#pragma once

#include "platform/registry/Registry.h"
#include "platform/win32/NativeApi.h"

#include <map>
#include <mutex>

namespace telmaq {

// The registry port on Windows's own registry, below the real HKEY_CURRENT_USER. Its codes,
// value types and access rights are the registry's already; only the handles differ: ours are
// 32 bits wide, the system's are pointers, so each open key gets a number of ours.
class Win32Registry : public IRegistry
{
public:
    Win32Registry() = default;
    // Closes every key still open through this object.
    ~Win32Registry() override;
    Win32Registry(const Win32Registry&) = delete;
    Win32Registry& operator=(const Win32Registry&) = delete;

    long openKey(HKEY parent, const char* subKey, std::uint32_t access, HKEY* result) override;
    long createKey(HKEY parent, const char* subKey, std::uint32_t access, HKEY* result) override;
    long queryValue(HKEY key, const char* name, std::uint32_t* type, std::uint8_t* data, std::uint32_t* size) override;
    long setValue(HKEY key, const char* name, std::uint32_t type, const std::uint8_t* data,
                  std::uint32_t size) override;
    long deleteValue(HKEY key, const char* name) override;
    long deleteKey(HKEY parent, const char* subKey) override;
    long closeKey(HKEY key) override;

private:
    using Open = long (*)(win32::NativeHandle, const char*, std::uint32_t, win32::NativeHandle*);
    long open(Open call, HKEY parent, const char* subKey, std::uint32_t access, HKEY* result);
    // The system's key for one of ours; false for a handle that is not open.
    bool native(HKEY key, win32::NativeHandle& handle);

    std::mutex m_mutex;
    std::map<HKEY, win32::NativeHandle> m_keys;
    HKEY m_next = 1;
};

} // namespace telmaq
