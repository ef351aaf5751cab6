#include "DialupToolRun.h"

#include "platform/networkmanager/NmMockBus.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace telmaq {
namespace {

// telmaq-dialup on the provider the parameter names, with the same two entries on each:
// "Mobile" connects at once, "Slow" stays in its first states for a minute. NetworkManager is
// python-dbusmock's, on a private bus that stands in for the system bus.
class ProviderToolTest : public test::DialupToolTest, public ::testing::WithParamInterface<const char*>
{
protected:
    void SetUp() override
    {
        if (std::string(GetParam()) == "simulator") {
            ASSERT_EQ(tool({"add", "Mobile", "--user", "u", "--password", "p", "--step-ms", "0"}).status, 0);
            ASSERT_EQ(
                tool({"add", "Slow", "--device", "m1", "--user", "u", "--password", "p", "--step-ms", "60000"}).status,
                0);
            return;
        }
        bus = std::make_unique<test::NmMockBus>();
        ASSERT_TRUE(bus->ready()) << "the mock NetworkManager did not come up on a private bus";
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", bus->address().c_str(), 1);
        bus->addProfile("Mobile", "gsm", bus->addDevice("modem0", "ttyUSB0"));
        bus->script(bus->addProfile("Slow", "gsm", bus->addDevice("modem1", "ttyUSB1")),
                    {"device 40 0 20", "device 50 0 60000"});
    }
    void TearDown() override { ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS"); }

    test::ToolRun run(std::vector<std::string> args) { return tool(std::move(args), GetParam()); }

    // NetworkManager takes a line down after it has answered the hang-up.
    bool noConnections()
    {
        return test::waitUntil([this] {
            const test::ToolRun listed = run({"connections"});
            return listed.status == 0 && listed.out.empty();
        });
    }

    std::unique_ptr<test::NmMockBus> bus;
};

TEST_P(ProviderToolTest, DialConnectionsAndHangupWorkAndPrintAlikeOnEveryProvider)
{
    const auto dial = run({"dial", "Mobile"});
    ASSERT_EQ(dial.status, 0) << dial.err;
    EXPECT_EQ(dial.out, "OpenPort\nPortOpened\nConnectDevice\nDeviceConnected\nAllDevicesConnected\nAuthenticate\n"
                        "Authenticated\nConnected\n");
    const auto listed = run({"connections"});
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.out.rfind("Mobile\t", 0), 0u) << listed.out;
    EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), 1) << listed.out;
    EXPECT_EQ(run({"hangup", "Slow"}).status, 1) << "only the named entry's connections";
    EXPECT_EQ(run({"hangup", "--all"}).status, 0);
    EXPECT_TRUE(noConnections());

    const auto late = run({"dial", "Slow", "--timeout", "1"});
    EXPECT_EQ(late.status, 1);
    EXPECT_EQ(late.out.rfind("OpenPort\n", 0), 0u) << late.out;
    EXPECT_NE(late.err.find("not connected within 1 second;"), std::string::npos) << late.err;
    EXPECT_TRUE(noConnections()) << "the dial that ran out of time is hung up";
}

INSTANTIATE_TEST_SUITE_P(Providers, ProviderToolTest, ::testing::Values("simulator", "networkmanager"));

using NetworkManagerToolTest = ProviderToolTest;

TEST_P(NetworkManagerToolTest, EntriesAreTheDialupProfilesWhichTheToolNeverEdits)
{
    bus->addProfile("Office VPN", "vpn");
    const auto entries = run({"entries"});
    EXPECT_EQ(entries.out, "Mobile\nSlow\nOffice VPN\n");
    EXPECT_EQ(run({"show", "Mobile"}).out, "name: Mobile\nphone: *99#\nuser: u\npassword: stored\n");
    for (const std::vector<std::string>& edit : {std::vector<std::string>{"add", "New", "--phone", "1"},
                                                 {"set", "Mobile", "--phone", "2"},
                                                 {"remove", "Mobile"},
                                                 {"demo"}}) {
        const auto refused = run(edit);
        EXPECT_EQ(refused.status, 1) << edit[0];
        EXPECT_NE(refused.err.find("nmcli or nm-connection-editor"), std::string::npos) << refused.err;
    }
    // The hive's commands work whichever the provider, and leave the simulator's file alone.
    EXPECT_EQ(run({"default", "Mobile"}).status, 0);
    EXPECT_EQ(run({"redial", "--on"}).status, 0);
    EXPECT_FALSE(std::filesystem::exists(env.dialupPath()));
    EXPECT_EQ(run({"entries"}).out, entries.out);
}

INSTANTIATE_TEST_SUITE_P(Providers, NetworkManagerToolTest, ::testing::Values("networkmanager"));

using UnreachableProviderToolTest = test::DialupToolTest;

TEST_F(UnreachableProviderToolTest, EveryProviderCommandFailsWithTheProvidersText)
{
    test::NmMockBus empty(false);
    ASSERT_FALSE(empty.address().empty());
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", empty.address().c_str(), 1);
    std::filesystem::create_directory(env.dialupPath()); // a phonebook file that cannot be opened
    const std::pair<const char*, std::string> cases[] = {
        {"networkmanager", "error 711: NetworkManager に接続できません"},
        {"simulator", "error 621: ダイヤルアップのデータベースを開けません (" + env.dialupPath()}};
    for (const auto& [provider, text] : cases) {
        for (const std::vector<std::string>& command : {std::vector<std::string>{"entries"},
                                                        {"show", "Mobile"},
                                                        {"dial", "Mobile", "--timeout", "30"},
                                                        {"connections"},
                                                        {"hangup", "--all"}}) {
            const auto run = tool(command, provider);
            EXPECT_EQ(run.status, 1) << provider << ' ' << command[0];
            EXPECT_EQ(run.out, "") << provider << ' ' << command[0];
            EXPECT_NE(run.err.find(text), std::string::npos) << run.err;
        }
    }
    ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}

} // namespace
} // namespace telmaq
