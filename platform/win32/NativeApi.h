#pragma once

// The registry and Remote Access Service calls of the Windows build, in plain fixed-width
// types. This is where the Windows build keeps <windows.h> apart from our own port headers:
// windows.h and ras.h define as macros the very names that platform/registry/Registry.h and
// platform/dialup/DialupService.h define (ERROR_SUCCESS, REG_SZ, KEY_READ, RASCS_*, the
// record types), and a namespace is no shield against a macro. So a file includes either
// <windows.h> or those two headers, never both: Native*.cpp include windows.h and only this
// header of ours; the adapters (Win32Registry, RasDialupService) include ours and this one.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace telmaq::win32 {

// A key or connection handle of the system, as an integer.
using NativeHandle = std::uintptr_t;

// --- registry (advapi32); the codes, types and access rights are the registry's own ---
NativeHandle nativeCurrentUser();
long nativeOpenKey(NativeHandle parent, const char* subKey, std::uint32_t access, NativeHandle* result);
long nativeCreateKey(NativeHandle parent, const char* subKey, std::uint32_t access, NativeHandle* result);
long nativeQueryValue(NativeHandle key, const char* name, std::uint32_t* type, std::uint8_t* data, std::uint32_t* size);
long nativeSetValue(NativeHandle key, const char* name, std::uint32_t type, const std::uint8_t* data,
                    std::uint32_t size);
long nativeDeleteValue(NativeHandle key, const char* name);
long nativeDeleteTree(NativeHandle parent, const char* subKey);
long nativeCloseKey(NativeHandle key);

// --- Remote Access Service (rasapi32); every answer is the service's code ---

// The oldest ANSI dial parameters hold no handle, so their 1052 bytes are the same for both
// word sizes and for our own record: they are handed over as they are.
constexpr std::size_t kNativeDialParamsSize = 1052;

struct NativeConnectionRecord
{
    NativeHandle handle = 0;
    std::string entry;
    std::string deviceType;
    std::string deviceName;
};

// The phonebook's entry names and the active connections. The service says how much room a
// listing needs only when asked with too little: one call, and a second with the room it
// named when the first answers ERROR_BUFFER_TOO_SMALL.
std::uint32_t nativeEntryNames(std::vector<std::string>& names);
std::uint32_t nativeConnections(std::vector<NativeConnectionRecord>& connections);

// params: kNativeDialParamsSize bytes, the entry name filled in.
std::uint32_t nativeEntryDialParams(void* params, bool* passwordRetrieved);

// Called on the service's own thread for every state of a dial.
using NativeDialReport = void (*)(NativeHandle connection, std::uint32_t message, std::uint32_t state,
                                  std::uint32_t error);
// Dials in the background; every dial of the process reports through the same function.
std::uint32_t nativeDial(const void* params, NativeDialReport report, NativeHandle* connection);
std::uint32_t nativeHangUp(NativeHandle connection);
std::uint32_t nativeErrorString(std::uint32_t code, char* buffer, std::uint32_t size);

} // namespace telmaq::win32
