#include "platform/HiveTestSupport.h"
#include "platform/dialup/DialupProviders.h"
#include "platform/networkmanager/NmErrors.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <tuple>

using namespace telmaq;

// The provider shows in its answer to a listing: the simulator's empty phonebook, or a system bus
// (one that is not there) without NetworkManager. A name we do not know, or a hive we cannot
// read, never quietly becomes the simulator: the service refuses every call with a text that
// says why.
TEST(ProviderChoice, TheEnvironmentThenTheHiveChooseAndNoOtherNameBecomesTheSimulator)
{
    test::TempEnvironment env;
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + (env.dir() / "no-system-bus").string()).c_str(), 1);
    const std::tuple<const char*, const char*, std::uint32_t, const char*> cases[] = {
        {nullptr, nullptr, 0, ""},
        {"networkmanager", nullptr, nm::ERROR_MANAGER_UNREACHABLE, "NetworkManager"},
        {"simulator", "NetworkManager", nm::ERROR_MANAGER_UNREACHABLE, "NetworkManager"},
        {"networkmanager", "simulator", 0, ""},
        {"NetworkManger", nullptr, ERROR_PROVIDER_UNKNOWN, "networkmanger"},
        {"simulator", "sim", ERROR_PROVIDER_UNKNOWN, "「sim」"},
    };
    int serial = 0;
    for (const auto& [stored, environment, code, said] : cases) {
        SqliteHive hive((env.dir() / ("hive" + std::to_string(++serial) + ".db")).string());
        HKEY key = 0;
        if (stored) {
            EXPECT_EQ(hive.createKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
            EXPECT_EQ(test::setText(hive, key, "Provider", stored), ERROR_SUCCESS);
        }
        environment ? ::setenv("TELMAQ_DIALUP_PROVIDER", environment, 1) : ::unsetenv("TELMAQ_DIALUP_PROVIDER");
        const auto service = openDialupService(hive);
        std::uint32_t size = 0, count = 0;
        char text[256] = {};
        EXPECT_EQ(service->enumEntries(nullptr, &size, &count), code) << serial;
        service->getErrorString(code, text, sizeof text);
        EXPECT_NE(std::string(text).find(said), std::string::npos) << text;
    }
    ::unsetenv("TELMAQ_DIALUP_PROVIDER");
    ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    SqliteHive damaged((env.dir() / "damaged.db").string());
    test::writeFile(damaged.path(), "not a hive");
    std::uint32_t size = 0, count = 0;
    EXPECT_EQ(openDialupService(damaged)->enumEntries(nullptr, &size, &count), ERROR_PROVIDER_UNREADABLE);
    EXPECT_EQ(test::fileContents(damaged.path()), "not a hive");
}
