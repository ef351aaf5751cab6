#pragma once

#include <cstdint>

namespace telmaq {

// The per-user registry that telmaq shares with the dial-up tools. Keys are addressed by
// backslash paths below HKEY_CURRENT_USER; key and value names compare ignoring ASCII case.
// Every call answers a registry result code, never throws, and never shows anything.

using HKEY = std::uint32_t;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;

// Result codes, as the registry answers them.
constexpr long ERROR_SUCCESS = 0;
constexpr long ERROR_FILE_NOT_FOUND = 2;
constexpr long ERROR_ACCESS_DENIED = 5;
constexpr long ERROR_INVALID_HANDLE = 6;
constexpr long ERROR_INVALID_PARAMETER = 87;
constexpr long ERROR_MORE_DATA = 234;
constexpr long ERROR_CANTOPEN = 1011;     // the hive itself cannot be opened or is not a hive
constexpr long ERROR_CANTREAD = 1012;     // the hive could not be read (locked too long, I/O error)
constexpr long ERROR_CANTWRITE = 1013;    // the hive refused the write (read-only, locked too long)
constexpr long ERROR_KEY_DELETED = 1018;  // the key of an open handle has been deleted since
constexpr long ERROR_FILE_CORRUPT = 1392; // the hive is damaged; it is left as it is

// Value types; any other tag is kept with its bytes as they are.
constexpr std::uint32_t REG_NONE = 0;
constexpr std::uint32_t REG_SZ = 1;
constexpr std::uint32_t REG_BINARY = 3;
constexpr std::uint32_t REG_DWORD = 4;

// Access rights kept in a handle.
constexpr std::uint32_t KEY_QUERY_VALUE = 0x0001;
constexpr std::uint32_t KEY_SET_VALUE = 0x0002;
constexpr std::uint32_t KEY_CREATE_SUB_KEY = 0x0004;
constexpr std::uint32_t KEY_READ = 0x20019;
constexpr std::uint32_t KEY_WRITE = 0x20006;
constexpr std::uint32_t KEY_ALL_ACCESS = 0xF003F;

class IRegistry
{
public:
    virtual ~IRegistry() = default;

    // Opens an existing key below parent; answers ERROR_FILE_NOT_FOUND when it is missing.
    // The access asked for is kept in the new handle.
    virtual long openKey(HKEY parent, const char* subKey, std::uint32_t access, HKEY* result) = 0;

    // Opens a key below parent, creating it and any missing parents first.
    virtual long createKey(HKEY parent, const char* subKey, std::uint32_t access, HKEY* result) = 0;

    // Reads a value. type and data may be null. On entry *size is the room in data; on return
    // it is the size of the stored data. Answers ERROR_MORE_DATA, with *size set to the size
    // needed, when data is given and too small; ERROR_FILE_NOT_FOUND when the value is missing.
    virtual long queryValue(HKEY key, const char* name, std::uint32_t* type, std::uint8_t* data,
                            std::uint32_t* size) = 0;

    // Writes a value; answers ERROR_ACCESS_DENIED through a handle opened without KEY_SET_VALUE.
    virtual long setValue(HKEY key, const char* name, std::uint32_t type, const std::uint8_t* data,
                          std::uint32_t size) = 0;

    // Removes a value from an open key.
    virtual long deleteValue(HKEY key, const char* name) = 0;

    // Removes a key below parent together with everything under it.
    virtual long deleteKey(HKEY parent, const char* subKey) = 0;

    // Releases a handle; predefined keys need no closing and answer ERROR_SUCCESS.
    virtual long closeKey(HKEY key) = 0;
};

} // namespace telmaq
