#include "platform/dialup/SimulatorTestSupport.h"
#include "platform/networkmanager/NetworkManagerDialupService.h"
#include "platform/networkmanager/NmErrors.h"
#include "support/TempEnvironment.h"
#include "support/WaitUntil.h"
#include "tools/ToolRun.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>

// Against a real NetworkManager that dials a real OpenVPN server, both started by nm-vpn-netns
// in namespaces of their own, with the profiles it describes ("Base" up, "Office", "Silent",
// "Unsaved").
namespace telmaq {
namespace {

using test::ReportLog;

class NmVpnSystem : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* dir = std::getenv("TELMAQ_NM_VPN_DIR");
        if (!dir)
            GTEST_SKIP() << "needs the NetworkManager and the VPN server that nm-vpn-netns starts";
        m_credentials = std::string(dir) + "/server-credentials";
        m_service = std::make_unique<NetworkManagerDialupService>();
    }
    void TearDown() override
    {
        if (!m_service)
            return;
        setServerPassword("secret1");
        parentUp();
        for (HRASCONN handle : vpnHandles())
            service().hangUp(handle);
        test::waitUntil([this] { return vpnHandles().empty() && tunnelAddress().empty(); }, 20000);
    }

    static std::string run(const std::string& command)
    {
        std::string out;
        if (FILE* pipe = ::popen((command + " 2>&1").c_str(), "r")) {
            char buffer[256];
            while (std::fgets(buffer, sizeof buffer, pipe))
                out += buffer;
            ::pclose(pipe);
        }
        return out;
    }
    // Brought up again only when down: activating it anew would take the VPNs' ground away.
    static void parentUp()
    {
        if (run("nmcli -g GENERAL.STATE connection show Base") != "activated\n")
            run("nmcli connection up Base");
    }
    void setServerPassword(const char* password) { std::ofstream(m_credentials) << "alice\n" << password << '\n'; }

    // tun0's IPv4 address, empty while it has none or is not there.
    static std::string tunnelAddress()
    {
        std::string address;
        ifaddrs* list = nullptr;
        if (::getifaddrs(&list) != 0)
            return address;
        for (ifaddrs* a = list; a; a = a->ifa_next) {
            if (a->ifa_addr && a->ifa_addr->sa_family == AF_INET && std::strcmp(a->ifa_name, "tun0") == 0) {
                char text[INET_ADDRSTRLEN] = {};
                ::inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(a->ifa_addr)->sin_addr, text, sizeof text);
                address = text;
            }
        }
        ::freeifaddrs(list);
        return address;
    }

    std::vector<HRASCONN> vpnHandles()
    {
        std::vector<RASCONNA> records(8);
        records[0].dwSize = sizeof(RASCONNA);
        std::uint32_t size = static_cast<std::uint32_t>(records.size() * sizeof(RASCONNA)), count = 0;
        std::vector<HRASCONN> handles;
        if (service().enumConnections(records.data(), &size, &count) == 0)
            for (std::uint32_t i = 0; i < count; ++i)
                handles.push_back(records[i].hrasconn);
        return handles;
    }

    // Each report with the tunnel's address at the moment it came.
    struct Seen
    {
        std::uint32_t state, error;
        std::string address;
    };
    static std::vector<Seen>& seen()
    {
        static std::vector<Seen> reports;
        return reports;
    }
    static inline std::mutex s_mutex;
    static void notifier(std::uint32_t message, std::uint32_t state, std::uint32_t error)
    {
        {
            std::lock_guard<std::mutex> lock(s_mutex);
            seen().push_back({state, error, tunnelAddress()});
        }
        ReportLog::notifier(message, state, error);
    }

    // Dials entry and waits for its end: the dial's answer, else the error its reports ended with.
    std::uint32_t dialToTheEnd(const char* entry, HRASCONN* handle)
    {
        {
            std::lock_guard<std::mutex> lock(s_mutex);
            seen().clear();
        }
        const std::uint32_t code = test::dialEntry(service(), entry, handle, nullptr, &notifier);
        if (code != 0)
            return code;
        EXPECT_TRUE(ReportLog::instance().waitFor()) << entry;
        const auto reports = ReportLog::instance().reports();
        return reports.empty() ? 0 : reports.back().error;
    }

    IDialupService& service() { return *m_service; }

    test::TempEnvironment env;
    // Made only inside the namespaces: elsewhere the system bus is the machine's own.
    std::unique_ptr<NetworkManagerDialupService> m_service;
    std::string m_credentials;
};

TEST_F(NmVpnSystem, TheVpnComesUpStepByStepCarriesTrafficAndGoesWhenHungUp)
{
    EXPECT_EQ(test::paramsOf(service(), "Office"), "0|alice|secret1||*|retrieved");
    EXPECT_EQ(test::paramsOf(service(), "Unsaved", true), "0|alice|||*");
    EXPECT_EQ(test::paramsOf(service(), "Base", true), "623||||*") << "the ethernet under the VPN is no entry";

    HRASCONN handle = kNoConnection;
    ASSERT_EQ(dialToTheEnd("Office", &handle), 0u);
    std::string steps;
    std::string connectedAddress;
    int stepsBeforeTheAddress = 0;
    {
        std::lock_guard<std::mutex> lock(s_mutex);
        for (std::size_t i = 0; i < seen().size(); ++i) {
            steps += std::to_string(seen()[i].state) + " ";
            connectedAddress = seen()[i].address;
            if (i > 0 && seen()[i].address.empty())
                ++stepsBeforeTheAddress;
        }
    }
    // Each step is reported while it is taken, so some come before the tunnel has its address
    // (how many depends on how fast this process reads the address), and connected once it has.
    // Progress held back until the VPN is up would bring every step after the first with it.
    EXPECT_EQ(steps, "0 1 2 3 4 5 14 8192 ");
    EXPECT_GE(stepsBeforeTheAddress, 1);
    EXPECT_EQ(connectedAddress, "10.8.0.2");
    std::vector<RASCONNA> records(4);
    records[0].dwSize = sizeof(RASCONNA);
    std::uint32_t size = sizeof(RASCONNA) * 4, count = 0;
    ASSERT_EQ(service().enumConnections(records.data(), &size, &count), 0u);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(std::string(records[0].szEntryName) + "|" + records[0].szDeviceType + "|" + records[0].szDeviceName,
              "Office|vpn|tun0");
    EXPECT_NE(run("ping -I tun0 -c 2 -i 0.2 -W 2 10.8.0.1").find("2 received"), std::string::npos)
        << "the server's end of the tunnel answers through it";

    ASSERT_EQ(service().hangUp(handle), 0u);
    EXPECT_TRUE(test::waitUntil([] { return ::if_nametoindex("tun0") == 0; }, 10000)) << "the tunnel is gone";
    EXPECT_TRUE(test::waitUntil([this] { return vpnHandles().empty(); }, 10000));
    EXPECT_EQ(run("nmcli -g GENERAL.STATE connection show Base"), "activated\n") << "the network under it stays";
}

// A password the server refuses, a server that never answers, no network to run over: each
// its own code, once, and no line left.
TEST_F(NmVpnSystem, EachFailureGivesItsOwnCodeOnce)
{
    const std::tuple<const char*, const char*, const char*, std::uint32_t> cases[] = {
        {"Office", "wrong", "", ERROR_AUTHENTICATION_FAILURE},
        {"Silent", "secret1", "", ERROR_NO_ANSWER},
        {"Office", "secret1", "nmcli connection down Base", nm::ERROR_NM_VPN_NO_PARENT},
    };
    for (const auto& [entry, password, before, code] : cases) {
        setServerPassword(password);
        run(before);
        HRASCONN handle = kNoConnection;
        EXPECT_EQ(dialToTheEnd(entry, &handle), code) << entry << ' ' << before;
        std::size_t errors = 0;
        for (const test::Reported& r : ReportLog::instance().reports())
            errors += r.error != 0;
        EXPECT_LE(errors, 1u) << entry;
        char text[256];
        EXPECT_EQ(service().getErrorString(code, text, sizeof text), 0u);
        EXPECT_TRUE(test::waitUntil([this] { return vpnHandles().empty(); }, 10000)) << entry;
        parentUp();
    }
}

// The tool as a user runs it, on the same NetworkManager.
TEST_F(NmVpnSystem, TheToolShowsDialsListsAndRefusesAnEntryWithoutItsPassword)
{
    const auto tool = [this](const std::vector<std::string>& args) {
        return test::runTool(TELMAQ_DIALUP_TOOL_PATH, args, env.dir(), "networkmanager");
    };
    EXPECT_EQ(tool({"entries"}).out, "Office\nSilent\nUnsaved\n");
    EXPECT_NE(tool({"show", "Unsaved"}).out.find("password: not stored"), std::string::npos);
    const test::ToolRun refused = tool({"dial", "Unsaved", "--timeout", "30"});
    EXPECT_EQ(std::make_tuple(refused.status, refused.out, refused.err),
              std::make_tuple(1, std::string(),
                              std::string("telmaq-dialup: ユーザー名またはパスワードが設定されていません\n")));
    EXPECT_EQ(run("nmcli -g NAME connection show --active | grep -c Unsaved"), "0\n") << "nothing was dialled";

    const test::ToolRun dialled = tool({"dial", "Office", "--timeout", "60"});
    EXPECT_EQ(
        std::make_pair(dialled.status, dialled.out),
        std::make_pair(0, std::string("OpenPort\nPortOpened\nConnectDevice\nDeviceConnected\nAllDevicesConnected\n"
                                      "Authenticate\nAuthenticated\nConnected\n")))
        << dialled.err;
    EXPECT_EQ(tool({"connections"}).out.rfind("Office\ttun0\t", 0), 0u);
    EXPECT_EQ(tool({"hangup", "--all"}).status, 0);
    EXPECT_TRUE(test::waitUntil([] { return ::if_nametoindex("tun0") == 0; }, 10000));
    EXPECT_EQ(tool({"connections"}).out, "");
}

} // namespace
} // namespace telmaq
