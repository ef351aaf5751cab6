#pragma once

// The hive a test reads and writes, through the registry adapter the program itself uses on
// the system the test runs on, empty when the test starts: on Linux the SQLite hive in a
// folder of the test's own; on Windows the real registry below HKEY_CURRENT_USER (of the Wine
// prefix the tests run in), with the keys the program uses cleared before and after. The
// tests that share it there must not run side by side (ctest's RESOURCE_LOCK win32_hkcu).

#ifdef _WIN32
#include "platform/win32/Win32Registry.h"
#else
#include "platform/registry/SqliteHive.h"
#include "support/TempEnvironment.h"
#endif

#include <string>

namespace telmaq::test {

#ifdef _WIN32

class TestHive : public Win32Registry
{
public:
    TestHive() { clear(); }
    ~TestHive() override { clear(); }

    // The registry has no file to name in a message.
    std::string location() const { return {}; }

    // True while nothing has been written: no key of the program's exists.
    bool untouched()
    {
        for (const char* path : kKeys) {
            HKEY key = 0;
            if (openKey(HKEY_CURRENT_USER, path, KEY_READ, &key) == ERROR_SUCCESS) {
                closeKey(key);
                return false;
            }
        }
        return true;
    }

private:
    // The system's dial-up settings and the program's own.
    static constexpr const char* kKeys[] = {"RemoteAccess", "Software\\wexhal"};

    void clear()
    {
        for (const char* path : kKeys)
            deleteKey(HKEY_CURRENT_USER, path);
    }
};

#else

namespace detail {
// A base, so that the folder exists before the hive that lives in it.
struct HiveFolder
{
    TempEnvironment env;
};
} // namespace detail

class TestHive : private detail::HiveFolder, public SqliteHive
{
public:
    TestHive() : SqliteHive(env.hivePath()) {}

    // The hive's file, as messages name it.
    std::string location() const { return env.hivePath(); }

    // True while nothing has been written: the file is made by the first write only.
    bool untouched() const { return !std::filesystem::exists(env.hivePath()); }
};

#endif

} // namespace telmaq::test
