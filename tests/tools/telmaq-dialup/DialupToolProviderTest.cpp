#include "platform/networkmanager/NmMockBus.h"
#include "tools/ToolRun.h"

#include <algorithm>

namespace telmaq {
namespace {

// telmaq-dialup on python-dbusmock's NetworkManager, on a private bus that stands in for the
// system bus, with two entries: "Mobile" connects at once, "Slow" stays in its first states for a
// minute. The tool's own test runs the same commands on the simulator's lines.
class NetworkManagerToolTest : public test::ToolTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.ready()) << "the mock NetworkManager did not come up on a private bus";
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", bus.address().c_str(), 1);
        bus.addProfile("Mobile", "gsm", bus.addDevice("modem0", "ttyUSB0"));
        bus.script(bus.addProfile("Slow", "gsm", bus.addDevice("modem1", "ttyUSB1")),
                   {"device 40 0 20", "device 50 0 60000"});
    }
    void TearDown() override { ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS"); }

    test::ToolRun run(const Words& args) { return tool(args, "networkmanager"); }

    // NetworkManager takes a line down after it has answered the hang-up.
    bool noConnections()
    {
        return test::waitUntil([this] {
            const test::ToolRun listed = run("connections");
            return listed.status == 0 && listed.out.empty();
        });
    }

    test::NmMockBus bus;
};

TEST_F(NetworkManagerToolTest, DialConnectionsAndHangupWorkAndPrintAsOnTheSimulator)
{
    play({{"dial Mobile", 0,
           "OpenPort\nPortOpened\nConnectDevice\nDeviceConnected\nAllDevicesConnected\nAuthenticate\nAuthenticated\n"
           "Connected\n"}},
         "networkmanager");
    const auto listed = run("connections");
    EXPECT_TRUE(listed.status == 0 && listed.out.rfind("Mobile\t", 0) == 0 &&
                std::count(listed.out.begin(), listed.out.end(), '\n') == 1)
        << listed.out;
    // Only the named entry's connections are hung up.
    play({{"hangup Slow", 1, ""}, {"hangup --all", 0, ""}}, "networkmanager");
    EXPECT_TRUE(noConnections());

    const auto late = run("dial Slow --timeout 1");
    EXPECT_TRUE(late.status == 1 && late.out.rfind("OpenPort\n", 0) == 0 &&
                late.err.find("not connected within 1 second;") != std::string::npos)
        << late.out << late.err;
    EXPECT_TRUE(noConnections()) << "the dial that ran out of time is hung up";
}

TEST_F(NetworkManagerToolTest, EntriesAreTheDialupProfilesWhichTheToolNeverEdits)
{
    bus.addProfile("Office VPN", "vpn");
    const Step listed = {"entries", 0, "Mobile\nSlow\nOffice VPN\n"};
    play({listed, {"show Mobile", 0, "name: Mobile\nphone: *99#\nuser: u\npassword: stored\n"}}, "networkmanager");
    for (const char* edit : {"add New --phone 1", "set Mobile --phone 2", "remove Mobile", "demo"})
        play({{edit, 1, "", "nmcli or nm-connection-editor"}}, "networkmanager");
    // The hive's commands work whichever the provider, and leave the simulator's file alone.
    play({{"default Mobile", 0, ""}, {"redial --on", 0, ""}, listed}, "networkmanager");
    EXPECT_FALSE(std::filesystem::exists(env.dialupPath()));
}

using UnreachableProviderToolTest = test::ToolTest;

TEST_F(UnreachableProviderToolTest, EveryProviderCommandFailsWithTheProvidersText)
{
    test::NmMockBus empty(false);
    ASSERT_FALSE(empty.address().empty());
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", empty.address().c_str(), 1);
    std::filesystem::create_directory(env.dialupPath()); // a phonebook file that cannot be opened
    const std::pair<const char*, std::string> cases[] = {
        {"networkmanager", "error 711: NetworkManager に接続できません"},
        {"simulator", "error 621: ダイヤルアップのデータベースを開けません (" + env.dialupPath()}};
    for (const auto& [provider, text] : cases)
        for (const char* command :
             {"entries", "show Mobile", "dial Mobile --timeout 30", "connections", "hangup --all"})
            play({{command, 1, "", text}}, provider);
    ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}

} // namespace
} // namespace telmaq
