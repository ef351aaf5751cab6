#include "platform/networkmanager/NetworkManagerDialupService.h"
#include "NmMockBus.h"
#include "platform/dialup/SimulatorTestSupport.h"
#include "platform/networkmanager/NmErrors.h"
#include "platform/networkmanager/NmWorker.h"
#include "support/TempEnvironment.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace telmaq;
using telmaq::test::NmMockBus;
using telmaq::test::ScriptStep;
using telmaq::test::settings;

namespace {

constexpr uint kModem = 8;
constexpr uint kEthernet = 1;

using Report = test::Reported;
using test::ReportLog;
constexpr auto recordReport = &ReportLog::notifier;

std::vector<std::uint32_t> statesOf(const std::vector<Report>& reports)
{
    std::vector<std::uint32_t> states;
    for (const Report& r : reports)
        states.push_back(r.state);
    return states;
}

RASDIALPARAMSA paramsFor(const char* name)
{
    RASDIALPARAMSA params{};
    params.dwSize = sizeof params;
    std::snprintf(params.szEntryName, sizeof params.szEntryName, "%s", name);
    return params;
}

// Generous: the mock manager under a sanitizer on a loaded machine answers slowly.
template <typename Condition> bool eventually(Condition condition)
{
    return test::waitUntil(condition, 60000);
}

QList<ScriptStep> failingWith(uint deviceReason)
{
    return {{"device", 40, 0, 20}, {"device", 50, 0, 20}, {"device", 120, deviceReason, 20}, {"active", 4, 3, 10}};
}

} // namespace

class NetworkManagerServiceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.ready()) << "the mock NetworkManager did not come up on a private bus";
        modem = bus.addDevice(QStringLiteral("modem0"), QStringLiteral("ttyUSB0"), kModem);
        ReportLog::instance().reset();
    }

    IDialupService& service()
    {
        if (!m_service)
            m_service = std::make_unique<NetworkManagerDialupService>(NetworkManagerOptions{bus.address(), 10000});
        return *m_service;
    }

    QString addGsm(const QString& name, const QString& device, const QString& user = QString(),
                   const QString& password = QString())
    {
        nm::NmSettings secrets;
        if (!password.isNull())
            secrets = settings({{"gsm", {{"password", password}}}});
        return bus.addProfile(settings({{"connection", {{"id", name}, {"type", "gsm"}, {"uuid", name + "-uuid"}}},
                                        {"gsm", {{"username", user}, {"number", "*99#"}}}}),
                              secrets, device);
    }

    std::vector<std::string> entryNames()
    {
        std::vector<RASENTRYNAMEA> buffer(1);
        buffer[0].dwSize = sizeof(RASENTRYNAMEA);
        std::uint32_t size = sizeof(RASENTRYNAMEA), count = 0;
        std::uint32_t code = service().enumEntries(buffer.data(), &size, &count);
        if (code == ERROR_BUFFER_TOO_SMALL) {
            buffer.resize(size / sizeof(RASENTRYNAMEA));
            buffer[0].dwSize = sizeof(RASENTRYNAMEA);
            code = service().enumEntries(buffer.data(), &size, &count);
        }
        EXPECT_EQ(code, 0u);
        std::vector<std::string> names;
        for (std::uint32_t i = 0; i < count && code == 0; ++i)
            names.emplace_back(buffer[i].szEntryName);
        return names;
    }

    std::vector<RASCONNA> connections(std::uint32_t* code = nullptr, IDialupService* other = nullptr)
    {
        IDialupService& s = other ? *other : service();
        std::vector<RASCONNA> buffer(8);
        buffer[0].dwSize = sizeof(RASCONNA);
        std::uint32_t size = static_cast<std::uint32_t>(buffer.size() * sizeof(RASCONNA)), count = 0;
        const std::uint32_t answer = s.enumConnections(buffer.data(), &size, &count);
        if (code)
            *code = answer;
        else
            EXPECT_EQ(answer, 0u);
        buffer.resize(answer == 0 ? count : 0);
        return buffer;
    }

    std::uint32_t dial(const char* name, HRASCONN* connection)
    {
        const RASDIALPARAMSA params = paramsFor(name);
        *connection = kNoConnection;
        return service().dial(&params, 0, recordReport, connection);
    }

    std::vector<Report> dialToEnd(const char* name)
    {
        ReportLog::instance().reset();
        HRASCONN connection = kNoConnection;
        const std::uint32_t code = dial(name, &connection);
        EXPECT_EQ(code, 0u) << name;
        if (code != 0)
            return {};
        EXPECT_NE(connection, kNoConnection);
        EXPECT_TRUE(ReportLog::instance().waitForEnd()) << name << ": no final report";
        return ReportLog::instance().reports();
    }

    // Two round trips through the provider's thread: every signal that reached it before is
    // handled and every report it made is delivered.
    void settle()
    {
        connections();
        connections();
    }

    test::TempEnvironment env;
    NmMockBus bus;
    QString modem;

private:
    std::unique_ptr<NetworkManagerDialupService> m_service;
};

// --- The phonebook and the connections ------------------------------------------------------

TEST_F(NetworkManagerServiceTest, OnlyDialupProfilesAreEntries)
{
    // Which kinds are dial-up is NmProfile's to say; here, that the listing asks it.
    addGsm(QStringLiteral("Mobile"), modem);
    bus.addProfile(
        settings({{"connection", {{"id", "Phone PAN"}, {"type", "bluetooth"}}}, {"bluetooth", {{"type", "panu"}}}}));
    bus.addProfile(settings({{"connection", {{"id", "Office VPN"}, {"type", "vpn"}}}}));
    bus.addProfile(settings({{"connection", {{"id", "Home Wi-Fi"}, {"type", "802-11-wireless"}}}}));
    // A profile this user may not read is not offered either.
    const QString hidden = addGsm(QStringLiteral("Someone else's"), QString());
    bus.profileErrors(hidden, QStringLiteral("org.freedesktop.NetworkManager.Settings.PermissionDenied"), QString());
    // Names are unique in a phonebook: the first of two alike stays.
    addGsm(QStringLiteral("Mobile"), QString());

    EXPECT_EQ(entryNames(), (std::vector<std::string>{"Mobile", "Office VPN"}));
}

TEST_F(NetworkManagerServiceTest, ListingFollowsTheCapacityProtocol)
{
    addGsm(QStringLiteral("One"), modem);
    addGsm(QStringLiteral("Two"), modem);
    RASENTRYNAMEA one{};
    one.dwSize = sizeof one;
    std::uint32_t size = sizeof one, count = 0;
    EXPECT_EQ(service().enumEntries(&one, &size, &count), ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(size, 2 * sizeof(RASENTRYNAMEA));
    EXPECT_EQ(count, 2u);
    // A size query with no buffer, and a record of the wrong size.
    size = 0;
    EXPECT_EQ(service().enumEntries(nullptr, &size, &count), ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(size, 2 * sizeof(RASENTRYNAMEA));
    // Room claimed without a buffer is refused, not written through.
    size = 10 * sizeof(RASENTRYNAMEA);
    EXPECT_EQ(service().enumEntries(nullptr, &size, &count), nm::ERROR_INVALID_PARAMETER);
    RASENTRYNAMEA wrong[2]{};
    wrong[0].dwSize = 100;
    size = sizeof wrong;
    EXPECT_EQ(service().enumEntries(wrong, &size, &count), ERROR_INVALID_SIZE);
}

TEST_F(NetworkManagerServiceTest, ConnectionsAreTheActiveDialupOnesWithHandlesEveryProcessShares)
{
    const QString mobile = addGsm(QStringLiteral("Mobile"), modem);
    const QString eth = bus.addDevice(QStringLiteral("eth0"), QStringLiteral("eth0"), kEthernet);
    const QString wired =
        bus.addProfile(settings({{"connection", {{"id", "Wired"}, {"type", "802-3-ethernet"}}}}), {}, eth);
    const QString ordinary = bus.activate(wired, eth);
    const QString active = bus.activate(mobile, modem);
    ASSERT_TRUE(eventually([&] { return bus.property(active, "Connection.Active", "State").toUInt() == 2; }));

    const std::vector<RASCONNA> listed = connections();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_STREQ(listed[0].szEntryName, "Mobile");
    EXPECT_STREQ(listed[0].szDeviceType, "modem");
    EXPECT_STREQ(listed[0].szDeviceName, "ttyUSB0");
    EXPECT_EQ(listed[0].dwSize, sizeof(RASCONNA));
    EXPECT_EQ(listed[0].hrasconn, nm::handleForActivePath(active));

    NetworkManagerDialupService another(NetworkManagerOptions{bus.address(), 10000});
    const std::vector<RASCONNA> seenElsewhere = connections(nullptr, &another);
    ASSERT_EQ(seenElsewhere.size(), 1u);
    EXPECT_EQ(seenElsewhere[0].hrasconn, listed[0].hrasconn);

    // The ordinary network is no connection of ours to hang up.
    EXPECT_EQ(service().hangUp(nm::handleForActivePath(ordinary)), ERROR_INVALID_HANDLE_RAS);
    settle();
    EXPECT_EQ(bus.property(ordinary, "Connection.Active", "Id").toString(), QStringLiteral("Wired"));
}

TEST_F(NetworkManagerServiceTest, DialParametersComeFromTheProfileAndItsSecrets)
{
    addGsm(QStringLiteral("Mobile"), modem, QStringLiteral("alice"), QStringLiteral("s3cret"));
    const QString locked = addGsm(QStringLiteral("Locked"), modem, QStringLiteral("bob"), QStringLiteral("hidden"));
    bus.profileErrors(locked, QString(), QStringLiteral("org.freedesktop.NetworkManager.Settings.PermissionDenied"));
    addGsm(QStringLiteral("No password"), modem, QStringLiteral("carol"));

    RASDIALPARAMSA params = paramsFor("Mobile");
    std::snprintf(params.szDomain, sizeof params.szDomain, "*");
    bool retrieved = false;
    ASSERT_EQ(service().getEntryDialParams(&params, &retrieved), 0u);
    EXPECT_STREQ(params.szUserName, "alice");
    EXPECT_STREQ(params.szPassword, "s3cret");
    EXPECT_STREQ(params.szPhoneNumber, "*99#");
    EXPECT_STREQ(params.szDomain, "*"); // what the profile does not hold stays as it was
    EXPECT_TRUE(retrieved);

    RASDIALPARAMSA lockedParams = paramsFor("Locked");
    retrieved = true;
    ASSERT_EQ(service().getEntryDialParams(&lockedParams, &retrieved), 0u);
    EXPECT_STREQ(lockedParams.szUserName, "bob");
    EXPECT_STREQ(lockedParams.szPassword, "");
    EXPECT_FALSE(retrieved);

    RASDIALPARAMSA none = paramsFor("No password");
    retrieved = true;
    ASSERT_EQ(service().getEntryDialParams(&none, &retrieved), 0u);
    EXPECT_STREQ(none.szUserName, "carol");
    EXPECT_FALSE(retrieved);

    RASDIALPARAMSA unknown = paramsFor("Nowhere");
    EXPECT_EQ(service().getEntryDialParams(&unknown, &retrieved), ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
}

// --- Dialling -------------------------------------------------------------------------------

TEST_F(NetworkManagerServiceTest, ASuccessfulDialReportsEveryStageOnTheProvidersThread)
{
    addGsm(QStringLiteral("Mobile"), modem, QStringLiteral("alice"), QStringLiteral("pw"));
    HRASCONN connection = kNoConnection;
    ASSERT_EQ(dial("Mobile", &connection), 0u);
    ASSERT_TRUE(ReportLog::instance().waitForEnd());
    const std::vector<Report> reports = ReportLog::instance().reports();
    EXPECT_EQ(statesOf(reports),
              (std::vector<std::uint32_t>{RASCS_OpenPort, RASCS_PortOpened, RASCS_ConnectDevice, RASCS_DeviceConnected,
                                          RASCS_AllDevicesConnected, RASCS_Authenticate, RASCS_Authenticated,
                                          RASCS_Connected}));
    for (const Report& r : reports) {
        EXPECT_EQ(r.error, 0u);
        EXPECT_EQ(r.message, 0xCCCDu);
        EXPECT_NE(r.thread, std::this_thread::get_id());
        EXPECT_EQ(r.thread, reports.front().thread);
    }
    const std::vector<RASCONNA> listed = connections();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].hrasconn, connection);
}

TEST_F(NetworkManagerServiceTest, EachDeviceFailureReasonGivesItsCode)
{
    const QString mobile = addGsm(QStringLiteral("Mobile"), modem);
    const std::vector<std::pair<uint, std::uint32_t>> cases = {{23, ERROR_LINE_BUSY},
                                                               {24, ERROR_NO_DIALTONE},
                                                               {25, ERROR_NO_ANSWER},
                                                               {26, ERROR_NO_ANSWER},
                                                               {27, ERROR_NO_ANSWER},
                                                               {28, ERROR_HARDWARE_FAILURE},
                                                               {43, ERROR_HARDWARE_FAILURE},
                                                               {44, ERROR_HARDWARE_FAILURE},
                                                               {52, ERROR_HARDWARE_FAILURE},
                                                               {57, ERROR_HARDWARE_FAILURE},
                                                               {12, ERROR_HARDWARE_FAILURE},
                                                               {7, ERROR_AUTHENTICATION_FAILURE},
                                                               {5, nm::ERROR_NM_DEVICE_REASON_BASE + 5}};
    for (const auto& [reason, code] : cases) {
        bus.script(mobile, failingWith(reason));
        const std::vector<Report> reports = dialToEnd("Mobile");
        ASSERT_FALSE(reports.empty());
        EXPECT_EQ(reports.back().state, RASCS_Disconnected) << "reason " << reason;
        EXPECT_EQ(reports.back().error, code) << "reason " << reason;
        EXPECT_EQ(reports.front().state, RASCS_OpenPort);
        // The failed activation is gone before the next one starts.
        ASSERT_TRUE(eventually([&] { return connections().empty(); }));
    }
}

TEST_F(NetworkManagerServiceTest, ActiveConnectionReasonsGiveTheirCodes)
{
    const QString vpn = bus.addProfile(settings({{"connection", {{"id", "Office"}, {"type", "vpn"}}}}));
    const std::vector<std::pair<uint, std::uint32_t>> cases = {
        {6, ERROR_NO_ANSWER}, {9, ERROR_AUTHENTICATION_FAILURE}, {10, ERROR_AUTHENTICATION_FAILURE}};
    for (const auto& [reason, code] : cases) {
        bus.script(vpn, {{"active", 4, reason, 30}});
        const std::vector<Report> reports = dialToEnd("Office");
        ASSERT_EQ(reports.size(), 2u) << "reason " << reason;
        EXPECT_EQ(reports[0].state, RASCS_OpenPort);
        EXPECT_EQ(reports[1].state, RASCS_Disconnected);
        EXPECT_EQ(reports[1].error, code) << "reason " << reason;
    }
}

TEST_F(NetworkManagerServiceTest, RefusedActivationsAnswerTheDialAtOnce)
{
    const QString mobile = addGsm(QStringLiteral("Mobile"), modem);
    const std::vector<std::pair<const char*, std::uint32_t>> cases = {
        {"org.freedesktop.NetworkManager.UnknownDevice", ERROR_HARDWARE_FAILURE},
        {"org.freedesktop.NetworkManager.PermissionDenied", nm::ERROR_NM_NOT_AUTHORIZED},
        {"org.freedesktop.NetworkManager.Failed", nm::ERROR_NM_REFUSED}};
    for (const auto& [error, code] : cases) {
        bus.script(mobile, {}, QString::fromLatin1(error));
        ReportLog::instance().reset();
        HRASCONN connection = 1234;
        EXPECT_EQ(dial("Mobile", &connection), code) << error;
        EXPECT_EQ(connection, kNoConnection);
        settle();
        EXPECT_TRUE(ReportLog::instance().reports().empty()) << error << ": a refused dial reports nothing";
        char text[256];
        EXPECT_EQ(service().getErrorString(code, text, sizeof text), 0u);
        EXPECT_GT(std::strlen(text), 0u);
    }
    HRASCONN connection = kNoConnection;
    EXPECT_EQ(dial("Nowhere", &connection), ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
}

TEST_F(NetworkManagerServiceTest, ADropThatNobodyAskedForIsARemoteDisconnection)
{
    const QString mobile = addGsm(QStringLiteral("Mobile"), modem);
    bus.script(mobile, {{"device", 40, 0, 20},
                        {"device", 100, 0, 20},
                        {"active", 2, 0, 10},
                        {"device", 110, 13, 100},
                        {"device", 30, 13, 10},
                        {"active", 4, 3, 10}});
    ReportLog::instance().reset();
    HRASCONN connection = kNoConnection;
    ASSERT_EQ(dial("Mobile", &connection), 0u);
    ASSERT_TRUE(eventually([] {
        const auto reports = ReportLog::instance().reports();
        return !reports.empty() && reports.back().state == RASCS_Disconnected;
    }));
    const std::vector<Report> reports = ReportLog::instance().reports();
    ASSERT_GE(reports.size(), 2u);
    EXPECT_EQ(reports[reports.size() - 2].state, RASCS_Connected);
    EXPECT_EQ(reports.back().error, ERROR_REMOTE_DISCONNECTION);
    settle();
    EXPECT_EQ(ReportLog::instance().reports().size(), reports.size()) << "nothing follows the final report";
}

TEST_F(NetworkManagerServiceTest, HangingUpEndsTheConnectionAndItsReports)
{
    const QString mobile = addGsm(QStringLiteral("Mobile"), modem);
    // A slow dial: hung up while the device prepares.
    bus.script(mobile, {{"device", 40, 0, 20}, {"device", 50, 0, 20000}, {"device", 100, 0, 20}});
    HRASCONN connection = kNoConnection;
    ASSERT_EQ(dial("Mobile", &connection), 0u);
    ASSERT_TRUE(ReportLog::instance().waitForCount(3)); // OpenPort, PortOpened, ConnectDevice
    ASSERT_EQ(service().hangUp(connection), 0u);
    const std::size_t heard = ReportLog::instance().reports().size();
    ASSERT_TRUE(eventually([&] { return connections().empty(); }));
    settle();
    // The activation's own way down (deactivating, disconnected) reaches no notifier.
    EXPECT_EQ(ReportLog::instance().reports().size(), heard);
    // Hanging up what is gone, or what never was.
    EXPECT_EQ(service().hangUp(connection), ERROR_INVALID_HANDLE_RAS);
    EXPECT_EQ(service().hangUp(kNoConnection), ERROR_INVALID_HANDLE_RAS);
    EXPECT_EQ(service().hangUp(4000), ERROR_INVALID_HANDLE_RAS);
}

TEST_F(NetworkManagerServiceTest, AProfileOrDeviceInUseGivesPortAlreadyOpen)
{
    const QString mobile = addGsm(QStringLiteral("Mobile"), modem);
    addGsm(QStringLiteral("Other APN"), modem);
    bus.activate(mobile, modem);
    ASSERT_TRUE(eventually([&] { return connections().size() == 1; }));
    HRASCONN connection = 77;
    EXPECT_EQ(dial("Mobile", &connection), ERROR_PORT_ALREADY_OPEN);
    EXPECT_EQ(connection, kNoConnection);
    ASSERT_TRUE(eventually([&] { return bus.property(modem, "Device", "State").toUInt() == 100; }));
    EXPECT_EQ(dial("Other APN", &connection), ERROR_PORT_ALREADY_OPEN);
    EXPECT_EQ(connections().size(), 1u);
}

// --- When NetworkManager is not there or does not answer ------------------------------------

// A bus without NetworkManager, and no bus at all: every call answers at once that the manager
// is out of reach, and says so in its text.
TEST(NetworkManagerServiceFailures, WithoutAManagerEveryCallGivesItsCodeAtOnce)
{
    test::TempEnvironment env;
    NmMockBus empty(false);
    ASSERT_FALSE(empty.address().empty());
    for (const std::string& address : {empty.address(), "unix:path=" + (env.dir() / "no-bus-here").string()}) {
        SCOPED_TRACE(address);
        NetworkManagerDialupService service(NetworkManagerOptions{address, 10000});
        std::uint32_t size = 0, count = 0;
        EXPECT_EQ(service.enumEntries(nullptr, &size, &count), nm::ERROR_MANAGER_UNREACHABLE);
        EXPECT_EQ(service.enumConnections(nullptr, &size, &count), nm::ERROR_MANAGER_UNREACHABLE);
        RASDIALPARAMSA params = paramsFor("Mobile");
        bool retrieved = true;
        EXPECT_EQ(service.getEntryDialParams(&params, &retrieved), nm::ERROR_MANAGER_UNREACHABLE);
        EXPECT_FALSE(retrieved);
        HRASCONN connection = kNoConnection;
        EXPECT_EQ(service.dial(&params, 0, recordReport, &connection), nm::ERROR_MANAGER_UNREACHABLE);
        EXPECT_EQ(service.hangUp(5), nm::ERROR_MANAGER_UNREACHABLE);
        char text[256];
        ASSERT_EQ(service.getErrorString(nm::ERROR_MANAGER_UNREACHABLE, text, sizeof text), 0u);
        EXPECT_NE(std::string(text).find("NetworkManager"), std::string::npos);
    }
}

TEST_F(NetworkManagerServiceTest, AManagerThatDoesNotAnswerGivesACodeNotAHang)
{
    addGsm(QStringLiteral("Mobile"), modem);
    NetworkManagerDialupService impatient(NetworkManagerOptions{bus.address(), 300});
    const RASDIALPARAMSA params = paramsFor("Mobile");
    bus.activateDelay(3);
    HRASCONN connection = kNoConnection;
    EXPECT_EQ(impatient.dial(&params, 0, recordReport, &connection), nm::ERROR_NM_NO_REPLY);
    EXPECT_EQ(connection, kNoConnection);
}

TEST_F(NetworkManagerServiceTest, AManagerThatGoesAwayEndsTheDial)
{
    const QString mobile = addGsm(QStringLiteral("Mobile"), modem);
    bus.script(mobile, {{"device", 40, 0, 20}, {"device", 50, 0, 60000}});
    HRASCONN connection = kNoConnection;
    ASSERT_EQ(dial("Mobile", &connection), 0u);
    ASSERT_TRUE(ReportLog::instance().waitForCount(3));
    const uint pid = bus.managerPid();
    ASSERT_GT(pid, 0u);
    ::kill(static_cast<pid_t>(pid), SIGKILL);
    ASSERT_TRUE(ReportLog::instance().waitForEnd());
    const std::vector<Report> reports = ReportLog::instance().reports();
    EXPECT_EQ(reports.back().state, RASCS_Disconnected);
    EXPECT_EQ(reports.back().error, nm::ERROR_MANAGER_UNREACHABLE);
}

// Texts need no manager.
TEST(NetworkManagerServiceFailures, EveryCodeHasATextThatFits)
{
    test::TempEnvironment env;
    NetworkManagerDialupService service(NetworkManagerOptions{"unix:path=" + (env.dir() / "no-bus").string(), 1000});
    for (std::uint32_t code : {6u, 602u, 603u, 623u, 629u, 630u, 631u, 632u, 676u, 678u, 680u, 691u, 711u, 19001u,
                               19002u, 19003u, 19004u, 19105u, 19411u}) {
        char text[256];
        ASSERT_EQ(service.getErrorString(code, text, sizeof text), 0u) << code;
        EXPECT_GT(std::strlen(text), 0u) << code;
    }
    char small[4];
    EXPECT_EQ(service.getErrorString(691, small, sizeof small), ERROR_BUFFER_TOO_SMALL);
    char text[256];
    EXPECT_NE(service.getErrorString(4242, text, sizeof text), 0u);
}
