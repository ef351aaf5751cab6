#include "platform/networkmanager/NetworkManagerDialupService.h"
#include "NmMockBus.h"
#include "platform/dialup/SimulatorTestSupport.h"
#include "platform/networkmanager/NmErrors.h"
#include "platform/networkmanager/NmWorker.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include <unistd.h>

namespace telmaq {
namespace {

using test::paramsOf;
using test::ReportLog;

std::uint32_t dial(IDialupService& service, const char* name, HRASCONN* handle)
{
    RASDIALPARAMSA params{};
    params.dwSize = sizeof params;
    std::strcpy(params.szEntryName, name);
    ReportLog::instance().reset();
    return service.dial(&params, 0, &ReportLog::notifier, handle);
}

// Empty too when the listing fails.
std::vector<RASCONNA> connections(IDialupService& service)
{
    std::vector<RASCONNA> records(8);
    records[0].dwSize = sizeof(RASCONNA);
    std::uint32_t size = static_cast<std::uint32_t>(records.size() * sizeof(RASCONNA)), count = 0;
    records.resize(service.enumConnections(records.data(), &size, &count) == 0 ? count : 0);
    return records;
}

// The dial's end reported and NetworkManager done with the line. Generous: the mock manager
// under a sanitizer on a loaded machine answers slowly.
bool over(IDialupService& service)
{
    const auto ended = [&] {
        const auto reports = ReportLog::instance().reports();
        return !reports.empty() && reports.back().state == RASCS_Disconnected && connections(service).empty();
    };
    return test::waitUntil(ended, 60000);
}

class NmServiceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.ready()) << "the mock NetworkManager did not come up on a private bus";
        modem = bus.addDevice("modem0", "ttyUSB0");
        mobile = bus.addProfile("Mobile", "gsm", modem);
    }

    test::TempEnvironment env;
    test::NmMockBus bus;
    NetworkManagerDialupService service{NetworkManagerOptions{bus.address(), 10000}};
    ReportLog& log = ReportLog::instance();
    QString modem, mobile;
    const QString denied = QStringLiteral("org.freedesktop.NetworkManager.Settings.PermissionDenied");
};

TEST_F(NmServiceTest, EntriesAreTheReadableDialupProfilesInTheCallersBufferWithTheirSecrets)
{
    bus.addProfile("Office VPN", "vpn");
    bus.addProfile("Home Wi-Fi", "802-11-wireless");
    bus.addProfile("Someone else's", "gsm", {}, "p", denied);
    bus.addProfile("Mobile"); // names are unique in a phonebook: the first of two alike stays
    bus.addProfile("Locked", "gsm", modem, "hidden", {}, denied);
    bus.addProfile("No password", "gsm", modem, nullptr);
    RASENTRYNAMEA entries[4]{};
    entries[0].dwSize = sizeof(RASENTRYNAMEA);
    std::uint32_t size = sizeof(RASENTRYNAMEA), count = 0;
    EXPECT_EQ(service.enumEntries(entries, &size, &count), ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(std::make_pair(size, count), std::make_pair(std::uint32_t(sizeof entries), 4u));
    ASSERT_EQ(service.enumEntries(entries, &size, &count), 0u);
    EXPECT_EQ(std::string(entries[0].szEntryName) + "," + entries[1].szEntryName + "," + entries[3].szEntryName,
              "Mobile,Office VPN,No password");
    // Room claimed without a buffer is refused, not written through.
    EXPECT_EQ(service.enumEntries(nullptr, &size, &count), nm::ERROR_INVALID_PARAMETER);
    entries[0].dwSize = 100;
    EXPECT_EQ(service.enumEntries(entries, &size, &count), ERROR_INVALID_SIZE);
    // What the profile does not hold stays as it was.
    EXPECT_EQ(paramsOf(service, "Mobile"), "0|u|p|*99#|*|retrieved");
    EXPECT_EQ(paramsOf(service, "Locked", true), "0|u||*99#|*");
    EXPECT_EQ(paramsOf(service, "No password", true), "0|u||*99#|*");
    EXPECT_EQ(paramsOf(service, "Nowhere", true), "623||||*");
}

TEST_F(NmServiceTest, ADialReportsEveryStageOnTheProvidersThreadAndIsListedUntilItIsHungUp)
{
    bus.addProfile("Other APN", "gsm", modem);
    HRASCONN handle = kNoConnection;
    ASSERT_EQ(dial(service, "Mobile", &handle), 0u);
    ASSERT_TRUE(log.waitFor());
    const std::vector<test::Reported> reports = log.reports();
    std::vector<std::uint32_t> states;
    for (const test::Reported& r : reports) {
        states.push_back(r.state);
        EXPECT_EQ(std::make_tuple(r.message, r.error, r.thread), std::make_tuple(0xCCCDu, 0u, reports[0].thread));
    }
    EXPECT_NE(reports[0].thread, std::this_thread::get_id());
    EXPECT_EQ(states, (std::vector<std::uint32_t>{RASCS_OpenPort, RASCS_PortOpened, RASCS_ConnectDevice,
                                                  RASCS_DeviceConnected, RASCS_AllDevicesConnected, RASCS_Authenticate,
                                                  RASCS_Authenticated, RASCS_Connected}));
    // Listed alike by every process; the ordinary network the mock starts with is no line of ours.
    const std::vector<RASCONNA> listed = connections(service);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(std::to_string(listed[0].dwSize) + listed[0].szEntryName + "|" + listed[0].szDeviceType + "|" +
                  listed[0].szDeviceName,
              "412Mobile|modem|ttyUSB0");
    NetworkManagerDialupService another(NetworkManagerOptions{bus.address(), 10000});
    EXPECT_EQ(std::make_pair(listed[0].hrasconn, connections(another).at(0).hrasconn), std::make_pair(handle, handle));
    const QString ordinary = QStringLiteral("/org/freedesktop/NetworkManager/ActiveConnection/1");
    EXPECT_EQ(service.hangUp(nm::handleForActivePath(ordinary)), ERROR_INVALID_HANDLE_RAS);
    // The profile and its device are taken.
    for (const char* entry : {"Mobile", "Other APN"})
        EXPECT_EQ(dial(service, entry, &handle), ERROR_PORT_ALREADY_OPEN) << entry;
    ASSERT_EQ(service.hangUp(handle), 0u);
    ASSERT_TRUE(test::waitUntil([&] { return connections(service).empty(); }, 60000));
    connections(service); // a round trip through the provider's thread: what it heard is handled
    EXPECT_TRUE(log.reports().empty()) << "the line's way down reaches no notifier";
    for (HRASCONN gone : {handle, kNoConnection, HRASCONN(4000)})
        EXPECT_EQ(service.hangUp(gone), ERROR_INVALID_HANDLE_RAS) << gone;
}

// A device's failure, an active connection's (a VPN has no device), a drop after connecting, a
// refusal, an unknown entry, NetworkManager ending mid-dial (last: nothing answers after it):
// what the dial answers, then the code its reports end with, once.
TEST_F(NmServiceTest, EachWayADialFailsGivesItsCodeOnce)
{
    const QString vpn = bus.addProfile("Office", "vpn");
    const std::tuple<const char*, QStringList, const char*, std::uint32_t, std::uint32_t> cases[] = {
        {"Mobile", {"device 40 0 20", "device 120 23 20", "active 4 3 10"}, "", 0, ERROR_LINE_BUSY},
        {"Office", {"active 4 10 30"}, "", 0, ERROR_AUTHENTICATION_FAILURE},
        {"Mobile", {"device 100 0 20", "device 110 13 100", "active 4 3 10"}, "", 0, ERROR_REMOTE_DISCONNECTION},
        {"Mobile", {}, "org.freedesktop.NetworkManager.PermissionDenied", nm::ERROR_NM_NOT_AUTHORIZED, 0},
        // NetworkManager's answer to a VPN with no network to run over, and to a profile gone.
        {"Office", {}, "org.freedesktop.NetworkManager.UnknownConnection", nm::ERROR_NM_VPN_NO_PARENT, 0},
        {"Mobile", {}, "org.freedesktop.NetworkManager.UnknownConnection", ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, 0},
        {"Nowhere", {}, "", ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, 0},
        {"Mobile", {"device 40 0 20", "exit 0 0 50"}, "", 0, nm::ERROR_MANAGER_UNREACHABLE},
    };
    for (const auto& [entry, steps, refusal, answer, ended] : cases) {
        bus.script(std::strcmp(entry, "Office") == 0 ? vpn : mobile, steps, QLatin1String(refusal));
        HRASCONN handle = kNoConnection;
        ASSERT_EQ(dial(service, entry, &handle), answer) << entry << ' ' << refusal;
        ASSERT_TRUE(answer != 0 || over(service)) << entry;
        connections(service);
        const std::vector<test::Reported> reports = log.reports();
        ASSERT_EQ(reports.empty(), answer != 0) << entry << ": a refused dial reports nothing";
        if (answer == 0) {
            EXPECT_EQ(reports.front().state, RASCS_OpenPort);
            EXPECT_EQ(std::make_pair(reports.back().state, reports.back().error),
                      std::make_pair(std::uint32_t(RASCS_Disconnected), ended))
                << entry << ": nothing follows the end";
        }
    }
}

// A VPN's active connection says "activated" only at the very end; its own VPN state shows each
// step while it is taken. Listed, it shows its tunnel, not the device it runs over.
TEST_F(NmServiceTest, AVpnReportsEachStepWhenItIsTakenAndIsListedWithItsTunnel)
{
    const QString vpn = bus.addProfile("Office", "vpn");
    bus.script(vpn, {"vpn 2 1 20", "vpn 3 1 20", "vpn 4 1 60000"});
    const auto states = [&] {
        std::vector<std::uint32_t> seen;
        for (const test::Reported& r : log.reports())
            seen.push_back(r.state);
        return seen;
    };
    const std::vector<std::uint32_t> reaching = {RASCS_OpenPort, RASCS_PortOpened, RASCS_ConnectDevice};
    HRASCONN handle = kNoConnection;
    ASSERT_EQ(dial(service, "Office", &handle), 0u);
    EXPECT_TRUE(test::waitUntil([&] { return states() == reaching; }, 20000)) << states().size();
    ASSERT_EQ(service.hangUp(handle), 0u);
    ASSERT_TRUE(test::waitUntil([&] { return connections(service).empty(); }, 60000));

    bus.script(vpn, {"vpn 2 1 20", "vpn 3 1 20", "vpn 4 1 20", "active 2 1 20", "vpn 5 1 10"});
    ASSERT_EQ(dial(service, "Office", &handle), 0u);
    ASSERT_TRUE(log.waitFor());
    EXPECT_EQ(states().size(), 8u);
    const std::vector<RASCONNA> listed = connections(service);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(std::string(listed[0].szEntryName) + "|" + listed[0].szDeviceType + "|" + listed[0].szDeviceName,
              "Office|vpn|tun" + std::to_string(listed[0].hrasconn - 1));
}

TEST_F(NmServiceTest, AManagerThatDoesNotAnswerGivesACodeNotAHang)
{
    bus.script(mobile, {"device 40 0 20"}, {}, 3);
    NetworkManagerDialupService impatient(NetworkManagerOptions{bus.address(), 300});
    HRASCONN handle = kNoConnection;
    EXPECT_EQ(dial(impatient, "Mobile", &handle), nm::ERROR_NM_NO_REPLY);
}

// With no bus at all the calls that reach it answer at once that the manager is out of reach
// (listings: the provider choice's and tool tests'). Texts need no manager.
TEST(NmServiceWithoutManager, EveryCallGivesItsCodeAtOnceAndTextsStillCome)
{
    test::TempEnvironment env;
    NetworkManagerDialupService service(NetworkManagerOptions{"unix:path=" + (env.dir() / "no-bus").string(), 10000});
    EXPECT_EQ(paramsOf(service, "Mobile", true), "711||||*");
    HRASCONN handle = kNoConnection;
    EXPECT_EQ(std::make_pair(dial(service, "Mobile", &handle), service.hangUp(5)),
              std::make_pair(nm::ERROR_MANAGER_UNREACHABLE, nm::ERROR_MANAGER_UNREACHABLE));
    char text[256];
    EXPECT_EQ(service.getErrorString(691, text, 4), ERROR_BUFFER_TOO_SMALL);
    EXPECT_NE(service.getErrorString(4242, text, sizeof text), 0u);
}

// Against a real NetworkManager that nm-real-netns starts in namespaces of its own, with the
// keyfile profiles "DSL" (PPPoE on veth0), "Mobile" (gsm) and "Wired" (ethernet).
TEST(NmSystem, DialupProfilesAreEntriesWithTheirSecretsAndAPppoeDialWithoutPppFails)
{
    if (!std::getenv("TELMAQ_NM_SYSTEM_TEST"))
        GTEST_SKIP() << "needs the NetworkManager that nm-real-netns starts";
    NetworkManagerDialupService service;
    EXPECT_EQ(paramsOf(service, "DSL"), "0|dsluser|dslsecret||*|retrieved");
    EXPECT_EQ(paramsOf(service, "Mobile"), "0|mobileuser|mobilesecret|*99#|*|retrieved");
    EXPECT_EQ(paramsOf(service, "Wired", true), "623||||*");
    HRASCONN handle = kNoConnection;
    std::uint32_t code = dial(service, "DSL", &handle);
    if (code == 0) {
        ASSERT_TRUE(over(service)) << "the failed dial was never reported";
        code = ReportLog::instance().reports().back().error;
    }
    EXPECT_NE(code, 0u);
    // Without the kernel's PPP, NetworkManager cannot start PPP: the hardware-failure code.
    EXPECT_TRUE(::access("/dev/ppp", F_OK) == 0 || code == ERROR_HARDWARE_FAILURE) << code;
    char text[256];
    EXPECT_EQ(service.getErrorString(code, text, sizeof text), 0u) << code;
}

} // namespace
} // namespace telmaq
