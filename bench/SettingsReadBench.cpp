// Prints how long the settings reads take: one integer through the settings store, and the
// four reads of the system's dial-up settings that the once-a-second tick makes, and what the
// check for a damaged hive adds: SQLite's structural check alone, and the tick's reads in a
// second after another process changed the hive (the hive is opened and checked again). Runs
// on a hive of its own in a temporary folder; the user's files are never touched.

#include "app/Profile.h"
#include "dialup/SystemDialupSettings.h"
#include "platform/registry/SqliteHive.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The median, over samples, of the time one call of body takes, in microseconds.
double medianMicroseconds(const std::function<void()>& body, int samples, int callsPerSample)
{
    for (int i = 0; i < callsPerSample; ++i)
        body(); // warm the page cache and the prepared statements
    std::vector<double> perCall;
    perCall.reserve(samples);
    for (int s = 0; s < samples; ++s) {
        const auto start = Clock::now();
        for (int i = 0; i < callsPerSample; ++i)
            body();
        const std::chrono::duration<double, std::micro> spent = Clock::now() - start;
        perCall.push_back(spent.count() / callsPerSample);
    }
    std::sort(perCall.begin(), perCall.end());
    return perCall[perCall.size() / 2];
}

void put(telmaq::SqliteHive& hive, const char* path, const char* name, std::uint32_t type, const std::string& bytes)
{
    telmaq::HKEY key = 0;
    if (hive.createKey(telmaq::HKEY_CURRENT_USER, path, telmaq::KEY_ALL_ACCESS, &key) != telmaq::ERROR_SUCCESS ||
        hive.setValue(key, name, type, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                      static_cast<std::uint32_t>(bytes.size())) != telmaq::ERROR_SUCCESS) {
        std::fprintf(stderr, "settings-bench: cannot prepare the hive\n");
        std::exit(1);
    }
    hive.closeKey(key);
}

} // namespace

int main()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "telmaq-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        std::fprintf(stderr, "settings-bench: cannot make a temporary folder\n");
        return 1;
    }
    const std::filesystem::path dir = pattern;
    double settingsRead = 0, tickReads = 0, check = 0, tickAfterChange = 0, changeAlone = 0;
    {
        telmaq::SqliteHive hive((dir / "hive.db").string());
        put(hive, "Software\\wexhal\\telmaq\\Settings", "CheckMon", telmaq::REG_DWORD, std::string("\1\0\0\0", 4));
        put(hive, "RemoteAccess", "InternetProfile", telmaq::REG_SZ, std::string("Provider") + '\0');
        put(hive, "RemoteAccess", "EnableRedial", telmaq::REG_DWORD, std::string("\1\0\0\0", 4));
        put(hive, "RemoteAccess", "RedialTry", telmaq::REG_DWORD, std::string("\12\0\0\0", 4));
        put(hive, "RemoteAccess", "RedialWait", telmaq::REG_DWORD, std::string("\36\0\2\0", 4));

        telmaq::Profile profile(hive, "wexhal", "telmaq");
        volatile std::int32_t sink = 0;
        settingsRead = medianMicroseconds([&] { sink = profile.readInt("Settings", "CheckMon", 1); }, 201, 200);

        telmaq::SystemDialupSettings system(hive);
        tickReads = medianMicroseconds(
            [&] {
                sink = system.ReadInternetProfile() != nullptr;
                sink = system.ReadEnableRedial();
                sink = system.ReadRedialWaitSeconds();
                sink = system.ReadRedialTry();
            },
            201, 100);

        // The structural check that every open makes, on its own connection.
        sqlite3* db = nullptr;
        sqlite3_open_v2((dir / "hive.db").string().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        check = medianMicroseconds(
            [&] {
                sqlite3_stmt* statement = nullptr;
                sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &statement, nullptr);
                sink = sqlite3_step(statement);
                sqlite3_finalize(statement);
            },
            201, 20);
        sqlite3_close(db);

        // Another process writes; the next second's reads open and check the hive again.
        telmaq::SqliteHive other((dir / "hive.db").string());
        std::uint32_t counter = 0;
        const auto otherWrites = [&] {
            ++counter;
            put(other, "Software\\wexhal\\telmaq\\Settings", "Counter", telmaq::REG_DWORD,
                std::string(reinterpret_cast<const char*>(&counter), 4));
        };
        changeAlone = medianMicroseconds(otherWrites, 101, 10);
        tickAfterChange = medianMicroseconds(
            [&] {
                otherWrites();
                sink = system.ReadInternetProfile() != nullptr;
                sink = system.ReadEnableRedial();
                sink = system.ReadRedialWaitSeconds();
                sink = system.ReadRedialTry();
            },
            101, 10);
        (void)sink;
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);

    std::printf("settings store, one integer read:          median %8.2f us  (target < 50 us)\n", settingsRead);
    std::printf("tick, one second's reads (4 values):       median %8.2f us  (%.2f us a read, target < 50 us)\n",
                tickReads, tickReads / 4);
    std::printf("damaged-file check (quick_check) on this hive:  median %8.2f us\n", check);
    std::printf("tick's reads after another process wrote:  median %8.2f us  (the hive opened and checked again)\n",
                tickAfterChange - changeAlone);
    return 0;
}
