#include "platform/dialup/DialupProviders.h"
#include "platform/dialup/LineSimulator.h"
#include "platform/networkmanager/NetworkManagerDialupService.h"
#include "platform/networkmanager/NmErrors.h"
#include "platform/HiveTestSupport.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace telmaq;

namespace {

// The environment variables one test changes, put back after it.
class ProviderChoiceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Never the machine's own system bus: a socket that is not there.
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + (env.dir() / "no-system-bus").string()).c_str(), 1);
        ::unsetenv("TELMAQ_DIALUP_PROVIDER");
    }
    void TearDown() override
    {
        ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
        ::unsetenv("TELMAQ_DIALUP_PROVIDER");
    }

    void storeProvider(const char* name)
    {
        SqliteHive hive(env.hivePath());
        HKEY key = 0;
        ASSERT_EQ(hive.createKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
        ASSERT_EQ(test::setText(hive, key, "Provider", name), ERROR_SUCCESS);
    }

    test::TempEnvironment env;
};

} // namespace

// A name we do not know, or a hive we cannot read, never quietly becomes the simulator: the
// service refuses every call with a text that says why.
TEST_F(ProviderChoiceTest, TheSimulatorByDefaultAndNeverInPlaceOfAnotherChoice)
{
    SqliteHive hive(env.hivePath());
    EXPECT_NE(dynamic_cast<LineSimulator*>(openDialupService(hive).get()), nullptr);
    const auto refusal = [&hive](std::uint32_t code, const std::string& named) {
        auto service = openDialupService(hive);
        std::uint32_t size = 0, count = 0;
        char text[256] = {};
        EXPECT_EQ(service->enumEntries(nullptr, &size, &count), code);
        EXPECT_EQ(service->getErrorString(code, text, sizeof text), 0u);
        EXPECT_NE(std::string(text).find(named), std::string::npos) << text;
    };
    storeProvider("NetworkManger");
    refusal(ERROR_PROVIDER_UNKNOWN, "networkmanger");
    storeProvider("simulator");
    ::setenv("TELMAQ_DIALUP_PROVIDER", "sim", 1);
    refusal(ERROR_PROVIDER_UNKNOWN, "「sim」");
    ::unsetenv("TELMAQ_DIALUP_PROVIDER");
    SqliteHive damaged((env.dir() / "damaged.db").string());
    test::writeFile(damaged.path(), "not a hive");
    auto service = openDialupService(damaged);
    std::uint32_t size = 0, count = 0;
    EXPECT_EQ(service->enumEntries(nullptr, &size, &count), ERROR_PROVIDER_UNREADABLE);
    EXPECT_EQ(test::fileContents(damaged.path()), "not a hive");
}

TEST_F(ProviderChoiceTest, TheHiveOrTheEnvironmentChoosesNetworkManager)
{
    SqliteHive hive(env.hivePath());
    storeProvider("networkmanager");
    auto fromHive = openDialupService(hive);
    ASSERT_NE(dynamic_cast<NetworkManagerDialupService*>(fromHive.get()), nullptr);
    // On the system bus it was given, which has no NetworkManager here.
    std::uint32_t size = 0, count = 0;
    EXPECT_EQ(fromHive->enumEntries(nullptr, &size, &count), nm::ERROR_MANAGER_UNREACHABLE);
    fromHive.reset();

    storeProvider("simulator");
    ::setenv("TELMAQ_DIALUP_PROVIDER", "NetworkManager", 1);
    EXPECT_NE(dynamic_cast<NetworkManagerDialupService*>(openDialupService(hive).get()), nullptr);
    ::setenv("TELMAQ_DIALUP_PROVIDER", "simulator", 1);
    storeProvider("networkmanager");
    EXPECT_NE(dynamic_cast<LineSimulator*>(openDialupService(hive).get()), nullptr);
}
