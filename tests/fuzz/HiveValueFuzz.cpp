#include "app/Profile.h"
#include "dialup/SystemDialupSettings.h"
#include "platform/registry/SqliteHive.h"
#include "tests/fuzz/FuzzInput.h"
#include "tools/telmaq-reg/RegValueText.h"

#include <cstring>
#include <memory>
#include <unistd.h>

using namespace telmaq;

namespace {

std::unique_ptr<SqliteHive> g_hive;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Memory-backed where there is such a folder: every input is one write of the hive.
    char folder[] = "/dev/shm/telmaq-fuzz-XXXXXX";
    char fallback[] = "/tmp/telmaq-fuzz-XXXXXX";
    const char* made = ::mkdtemp(folder);
    if (!made)
        made = ::mkdtemp(fallback);
    if (!made)
        std::abort();
    g_hive = std::make_unique<SqliteHive>(std::string(made) + "/hive.db");
    return 0;
}

// Input: one byte choosing the value, one its type tag, then its data. The value is stored
// as another program might have stored it and read back by everything that reads it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    static const std::pair<const char*, const char*> values[] = {
        {"RemoteAccess", "InternetProfile"},
        {"RemoteAccess", "RedialWait"},
        {"RemoteAccess", "EnableRedial"},
        {"RemoteAccess", "RedialTry"},
        {"Software\\wexhal\\telmaq\\Settings", "AutoConnection"},
        {"Software\\wexhal\\telmaq\\Settings", "ApplicationFile"},
    };
    const std::size_t chosen = data[0] % std::size(values);
    const auto& [path, name] = values[chosen];
    const std::uint32_t type = data[1] % 12;
    const std::vector<std::uint8_t> bytes(data + 2, data + size);
    HKEY key = 0;
    fuzz::require(g_hive->createKey(HKEY_CURRENT_USER, path, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS);
    fuzz::require(g_hive->setValue(key, name, type, bytes.data(), static_cast<std::uint32_t>(bytes.size())) ==
                  ERROR_SUCCESS);

    std::vector<SqliteHive::Value> listed;
    fuzz::require(g_hive->values(key, &listed) == ERROR_SUCCESS);
    for (const SqliteHive::Value& value : listed) {
        const std::string shown = regValueText(value.type, value.data);
        fuzz::require(shown.size() <= 2 * value.data.size() + 48);
    }
    g_hive->closeKey(key);

    SystemDialupSettings settings(*g_hive);
    if (const char* profile = settings.ReadInternetProfile())
        fuzz::require(std::strlen(profile) <= 255);
    fuzz::require(settings.ReadRedialWaitSeconds() >= 0);
    settings.ReadEnableRedial();
    settings.ReadRedialTry();
    Profile profile(*g_hive, "wexhal", "telmaq");
    profile.readInt("Settings", "AutoConnection", -1);
    const std::string text = profile.readText("Settings", "ApplicationFile", "");
    fuzz::require(chosen != std::size(values) - 1 || text.size() <= bytes.size());

    // What a user types as the DATA of telmaq-reg's set, and as its KEY.
    const std::string typed(reinterpret_cast<const char*>(data + 2), size - 2);
    std::uint32_t number = 0;
    if (parseDword(typed, &number)) {
        std::uint8_t stored[4];
        std::memcpy(stored, &number, sizeof stored);
        fuzz::require(regValueText(REG_DWORD, {stored, stored + 4}).rfind("0x", 0) == 0);
    }
    std::string subKey;
    currentUserPath(typed, &subKey);
    return 0;
}
