#include "platform/networkmanager/NetworkManagerDialupService.h"
#include "NmMockBus.h"
#include "platform/dialup/SimulatorTestSupport.h"
#include "platform/networkmanager/NmErrors.h"
#include "platform/networkmanager/NmWorker.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <unistd.h>

using namespace telmaq;
using test::ReportLog;

namespace {

RASDIALPARAMSA paramsFor(const char* name)
{
    RASDIALPARAMSA params{};
    params.dwSize = sizeof params;
    std::snprintf(params.szEntryName, sizeof params.szEntryName, "%s", name);
    std::snprintf(params.szDomain, sizeof params.szDomain, "*");
    return params;
}

std::uint32_t dial(IDialupService& service, const char* name, HRASCONN* handle)
{
    const RASDIALPARAMSA params = paramsFor(name);
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

// Each entry's code, user name, password (and so whether it was retrieved) and number; what the
// profile does not hold stays as it was.
void expectParams(
    IDialupService& service,
    std::initializer_list<std::tuple<const char*, std::uint32_t, const char*, const char*, const char*>> cases)
{
    for (const auto& [entry, code, user, password, phone] : cases) {
        RASDIALPARAMSA params = paramsFor(entry);
        bool retrieved = *password == '\0';
        EXPECT_EQ(service.getEntryDialParams(&params, &retrieved), code) << entry;
        EXPECT_STREQ(params.szUserName, user) << entry;
        EXPECT_STREQ(params.szPassword, password) << entry;
        EXPECT_EQ(retrieved, *password != '\0') << entry;
        EXPECT_STREQ(params.szPhoneNumber, phone) << entry;
        EXPECT_STREQ(params.szDomain, "*") << entry;
    }
}

// The dial's end reported and NetworkManager done with the line. Generous: the mock manager
// under a sanitizer on a loaded machine answers slowly.
bool over(IDialupService& service)
{
    return test::waitUntil(
        [&] {
            const auto reports = ReportLog::instance().reports();
            return !reports.empty() && reports.back().state == RASCS_Disconnected && connections(service).empty();
        },
        60000);
}

class NmServiceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.ready()) << "the mock NetworkManager did not come up on a private bus";
        modem = bus.addDevice("modem0", "ttyUSB0");
        mobile = bus.addProfile("Mobile", "gsm", modem);
        log.reset();
    }

    test::TempEnvironment env;
    test::NmMockBus bus;
    NetworkManagerDialupService service{NetworkManagerOptions{bus.address(), 10000}};
    ReportLog& log = ReportLog::instance();
    QString modem;
    QString mobile;
    const QString denied = QStringLiteral("org.freedesktop.NetworkManager.Settings.PermissionDenied");
};

TEST_F(NmServiceTest, EntriesAreTheReadableDialupProfilesInTheCallersBuffer)
{
    bus.addProfile("Office VPN", "vpn");
    bus.addProfile("Home Wi-Fi", "802-11-wireless");
    bus.addProfile("Someone else's", "gsm", {}, "p", denied);
    bus.addProfile("Mobile"); // names are unique in a phonebook: the first of two alike stays
    RASENTRYNAMEA entries[3]{};
    entries[0].dwSize = sizeof(RASENTRYNAMEA);
    std::uint32_t size = sizeof(RASENTRYNAMEA), count = 0;
    EXPECT_EQ(service.enumEntries(entries, &size, &count), ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(size, 2 * sizeof(RASENTRYNAMEA));
    EXPECT_EQ(count, 2u);
    ASSERT_EQ(service.enumEntries(entries, &size, &count), 0u);
    EXPECT_STREQ(entries[0].szEntryName, "Mobile");
    EXPECT_STREQ(entries[1].szEntryName, "Office VPN");
    // Room claimed without a buffer is refused, not written through.
    size = sizeof entries;
    EXPECT_EQ(service.enumEntries(nullptr, &size, &count), nm::ERROR_INVALID_PARAMETER);
    entries[0].dwSize = 100;
    EXPECT_EQ(service.enumEntries(entries, &size, &count), ERROR_INVALID_SIZE);
}

TEST_F(NmServiceTest, DialParametersComeFromTheProfileAndThePasswordFromItsSecrets)
{
    bus.addProfile("Locked", "gsm", modem, "hidden", {}, denied);
    bus.addProfile("No password", "gsm", modem, nullptr);
    expectParams(service, {{"Mobile", 0, "u", "p", "*99#"},
                           {"Locked", 0, "u", "", "*99#"},
                           {"No password", 0, "u", "", "*99#"},
                           {"Nowhere", ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, "", "", ""}});
}

TEST_F(NmServiceTest, ADialReportsEveryStageOnTheProvidersThreadAndIsListedUntilItIsHungUp)
{
    bus.addProfile("Other APN", "gsm", modem);
    HRASCONN handle = kNoConnection;
    ASSERT_EQ(dial(service, "Mobile", &handle), 0u);
    ASSERT_TRUE(log.waitForEnd());
    const std::vector<test::Reported> reports = log.reports();
    std::vector<std::uint32_t> states;
    for (const test::Reported& r : reports) {
        states.push_back(r.state);
        EXPECT_EQ(r.error, 0u);
        EXPECT_EQ(r.message, 0xCCCDu);
        EXPECT_NE(r.thread, std::this_thread::get_id());
        EXPECT_EQ(r.thread, reports.front().thread);
    }
    EXPECT_EQ(states, (std::vector<std::uint32_t>{RASCS_OpenPort, RASCS_PortOpened, RASCS_ConnectDevice,
                                                  RASCS_DeviceConnected, RASCS_AllDevicesConnected, RASCS_Authenticate,
                                                  RASCS_Authenticated, RASCS_Connected}));
    // Listed alike by every process; the ordinary network the mock starts with is no line of ours.
    const std::vector<RASCONNA> listed = connections(service);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].dwSize, sizeof(RASCONNA));
    EXPECT_STREQ(listed[0].szEntryName, "Mobile");
    EXPECT_STREQ(listed[0].szDeviceType, "modem");
    EXPECT_STREQ(listed[0].szDeviceName, "ttyUSB0");
    EXPECT_EQ(listed[0].hrasconn, handle);
    NetworkManagerDialupService another(NetworkManagerOptions{bus.address(), 10000});
    EXPECT_EQ(connections(another).at(0).hrasconn, handle);
    const QString ordinary = QStringLiteral("/org/freedesktop/NetworkManager/ActiveConnection/1");
    EXPECT_EQ(service.hangUp(nm::handleForActivePath(ordinary)), ERROR_INVALID_HANDLE_RAS);
    // The profile and its device are taken.
    for (const char* entry : {"Mobile", "Other APN"})
        EXPECT_EQ(dial(service, entry, &handle), ERROR_PORT_ALREADY_OPEN) << entry;
    ASSERT_EQ(service.hangUp(handle), 0u);
    ASSERT_TRUE(test::waitUntil([&] { return connections(service).empty(); }, 60000));
    connections(service); // a round trip through the provider's thread: what it heard is handled
    EXPECT_EQ(log.reports().size(), reports.size()) << "the line's way down reaches no notifier";
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
        {"Nowhere", {}, "", ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, 0},
        {"Mobile", {"device 40 0 20", "exit 0 0 50"}, "", 0, nm::ERROR_MANAGER_UNREACHABLE},
    };
    for (const auto& [entry, steps, refusal, answer, ended] : cases) {
        bus.script(std::strcmp(entry, "Office") == 0 ? vpn : mobile, steps, QLatin1String(refusal));
        log.reset();
        HRASCONN handle = kNoConnection;
        ASSERT_EQ(dial(service, entry, &handle), answer) << entry << ' ' << refusal;
        ASSERT_TRUE(answer != 0 || over(service)) << entry;
        connections(service);
        const std::vector<test::Reported> reports = log.reports();
        ASSERT_EQ(reports.empty(), answer != 0) << entry << ": a refused dial reports nothing";
        if (answer == 0) {
            EXPECT_EQ(reports.front().state, RASCS_OpenPort);
            EXPECT_EQ(reports.back().state, RASCS_Disconnected) << "nothing follows the end";
            EXPECT_EQ(reports.back().error, ended) << entry;
        }
    }
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
    RASDIALPARAMSA params = paramsFor("Mobile");
    bool retrieved = true;
    EXPECT_EQ(service.getEntryDialParams(&params, &retrieved), nm::ERROR_MANAGER_UNREACHABLE);
    EXPECT_FALSE(retrieved);
    HRASCONN handle = kNoConnection;
    EXPECT_EQ(dial(service, "Mobile", &handle), nm::ERROR_MANAGER_UNREACHABLE);
    EXPECT_EQ(service.hangUp(5), nm::ERROR_MANAGER_UNREACHABLE);
    char text[256], small[4];
    EXPECT_EQ(service.getErrorString(691, small, sizeof small), ERROR_BUFFER_TOO_SMALL);
    EXPECT_NE(service.getErrorString(4242, text, sizeof text), 0u);
}

// Against a real NetworkManager that nm-real-netns starts in namespaces of its own, with the
// keyfile profiles "DSL" (PPPoE on veth0), "Mobile" (gsm) and "Wired" (ethernet).
TEST(NmSystem, DialupProfilesAreEntriesWithTheirSecretsAndAPppoeDialWithoutPppFails)
{
    if (!std::getenv("TELMAQ_NM_SYSTEM_TEST"))
        GTEST_SKIP() << "needs the NetworkManager that nm-real-netns starts";
    NetworkManagerDialupService service;
    expectParams(service, {{"DSL", 0, "dsluser", "dslsecret", ""},
                           {"Mobile", 0, "mobileuser", "mobilesecret", "*99#"},
                           {"Wired", ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, "", "", ""}});
    ReportLog::instance().reset();
    HRASCONN handle = kNoConnection;
    std::uint32_t code = dial(service, "DSL", &handle);
    if (code == 0) {
        ASSERT_TRUE(over(service)) << "the failed dial was never reported";
        code = ReportLog::instance().reports().back().error;
    }
    EXPECT_NE(code, 0u);
    // Without the kernel's PPP, NetworkManager cannot start PPP: the hardware-failure code.
    if (::access("/dev/ppp", F_OK) != 0) {
        EXPECT_EQ(code, ERROR_HARDWARE_FAILURE);
    }
    char text[256];
    EXPECT_EQ(service.getErrorString(code, text, sizeof text), 0u) << code;
}

} // namespace
