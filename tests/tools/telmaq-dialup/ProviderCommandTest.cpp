#include "DialupToolRun.h"

#include "platform/registry/SqliteHive.h"

namespace telmaq {
namespace {

using ProviderCommandTest = test::DialupToolTest;

TEST_F(ProviderCommandTest, SetsTheProviderInTheHiveRefusesUnknownNamesAndYieldsToTheEnvironment)
{
    auto stored = [this] {
        SqliteHive hive(env.hivePath());
        HKEY key = 0;
        std::uint32_t type = 0;
        const bool found = hive.openKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_READ, &key) == ERROR_SUCCESS;
        const std::string value = found ? test::readBytes(hive, key, "Provider", &type) : "(no key)";
        hive.closeKey(key);
        return type == REG_SZ ? value : "(not text) " + value;
    };
    EXPECT_EQ(tool({"provider"}).out, "simulator\n");
    EXPECT_EQ(tool({"provider", "NetworkManager"}).status, 0);
    EXPECT_EQ(stored(), std::string("networkmanager", 15));
    EXPECT_EQ(tool({"provider"}).out, "networkmanager\n");

    const auto unknown = tool({"provider", "wvdial"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("unknown provider 'wvdial'"), std::string::npos);
    EXPECT_EQ(tool({"provider", "simulator", "networkmanager"}).status, 2);
    EXPECT_EQ(tool({"provider"}).out, "networkmanager\n") << "refusals keep the setting";
    // A misspelt name, from either place, is an error that names it; never the simulator.
    for (const char* env : {static_cast<const char*>(nullptr), "networkmanger"}) {
        if (!env) {
            SqliteHive hive(this->env.hivePath());
            HKEY key = 0;
            ASSERT_EQ(hive.openKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
            ASSERT_EQ(test::setText(hive, key, "Provider", "NetworkManger"), ERROR_SUCCESS);
        }
        const auto misspelt = tool({"provider"}, env);
        EXPECT_TRUE(misspelt.status == 1 && misspelt.out.empty()) << misspelt.out;
        EXPECT_NE(misspelt.err.find("networkmanger"), std::string::npos) << misspelt.err;
    }
    EXPECT_EQ(tool({"provider", "networkmanager"}).status, 0);

    // The environment wins; setting the hive still works and says that it does not apply.
    EXPECT_EQ(tool({"provider"}, "simulator").out, "simulator\n");
    const auto set = tool({"provider", "simulator"}, "networkmanager");
    EXPECT_EQ(set.status, 0);
    EXPECT_NE(set.err.find("TELMAQ_DIALUP_PROVIDER"), std::string::npos);
    EXPECT_EQ(tool({"provider"}).out, "simulator\n");
}

} // namespace
} // namespace telmaq
