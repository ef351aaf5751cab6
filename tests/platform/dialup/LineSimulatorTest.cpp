#include "platform/dialup/LineSimulator.h"

#include "SimulatorTestSupport.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

namespace telmaq {
namespace {

using test::dialEntry;
using test::ReportLog;
using test::simEntry;

using States = std::vector<std::uint32_t>;

class LineSimulatorTest : public ::testing::Test
{
protected:
    void SetUp() override { ReportLog::instance().reset(); }

    // Dials an entry to its end and answers the states reported and the last error.
    std::pair<States, std::uint32_t> dialToEnd(const std::string& name, HRASCONN* handle = nullptr)
    {
        ReportLog::instance().reset();
        HRASCONN h = kNoConnection;
        EXPECT_EQ(dialEntry(simulator, name, &h), 0u) << name;
        EXPECT_TRUE(ReportLog::instance().waitForEnd()) << name;
        States states;
        std::uint32_t error = 0;
        for (const auto& r : ReportLog::instance().reports()) {
            states.push_back(r.state);
            error = r.error;
            EXPECT_NE(r.thread, std::this_thread::get_id()) << "reports come on the service's thread";
        }
        if (handle)
            *handle = h;
        return {states, error};
    }

    test::TempEnvironment env;
    LineSimulator simulator{env.dialupPath()};
};

const States kConnected = {RASCS_OpenPort,           RASCS_PortOpened,   RASCS_ConnectDevice,
                           RASCS_DeviceConnected,    RASCS_AllDevicesConnected, RASCS_Authenticate,
                           RASCS_Authenticated,      RASCS_Connected};
const States kFailAtDevice = {RASCS_OpenPort, RASCS_PortOpened, RASCS_ConnectDevice};

TEST_F(LineSimulatorTest, EachLineBehaviourGivesItsStatesAndCode)
{
    struct Case
    {
        const char* line;
        States states;
        std::uint32_t error;
    };
    const std::vector<Case> cases = {
        {"connect", kConnected, 0},
        {"busy", kFailAtDevice, ERROR_LINE_BUSY},
        {"no-answer", kFailAtDevice, ERROR_NO_ANSWER},
        {"no-dialtone", kFailAtDevice, ERROR_NO_DIALTONE},
        {"no-modem", {RASCS_OpenPort}, ERROR_HARDWARE_FAILURE},
        {"auth-fail",
         {RASCS_OpenPort, RASCS_PortOpened, RASCS_ConnectDevice, RASCS_DeviceConnected, RASCS_AllDevicesConnected,
          RASCS_Authenticate},
         ERROR_AUTHENTICATION_FAILURE},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(simulator.database().addEntry(simEntry(c.line, c.line)), 0u);
        HRASCONN handle = kNoConnection;
        const auto [states, error] = dialToEnd(c.line, &handle);
        EXPECT_EQ(states, c.states) << c.line;
        EXPECT_EQ(error, c.error) << c.line;
        // A failed dial holds no line; a connected one is listed until hung up.
        EXPECT_EQ(test::connectionNames(simulator),
                  c.error ? std::vector<std::string>{} : std::vector<std::string>{c.line});
        EXPECT_EQ(simulator.hangUp(handle), 0u) << c.line;
        EXPECT_TRUE(test::connectionNames(simulator).empty());
    }
}

TEST_F(LineSimulatorTest, BusyTwiceThenConnects)
{
    ASSERT_EQ(simulator.database().addEntry(simEntry("二回話中", "busy:2")), 0u);
    for (int dial = 1; dial <= 2; ++dial) {
        HRASCONN handle = kNoConnection;
        EXPECT_EQ(dialToEnd("二回話中", &handle).second, ERROR_LINE_BUSY) << dial;
        simulator.hangUp(handle);
    }
    EXPECT_EQ(dialToEnd("二回話中"), std::make_pair(kConnected, 0u));

    // Changing the entry starts its count again, and the count is kept in the shared file.
    SimEntry entry = simEntry("二回話中", "busy:1");
    ASSERT_EQ(simulator.database().updateEntry(entry), 0u);
    std::vector<HRASCONN> handles;
    test::connectionNames(simulator, &handles);
    for (HRASCONN h : handles)
        simulator.hangUp(h);
    LineSimulator other(env.dialupPath());
    ReportLog::instance().reset();
    HRASCONN handle = kNoConnection;
    ASSERT_EQ(dialEntry(other, "二回話中", &handle), 0u);
    ASSERT_TRUE(ReportLog::instance().waitForEnd());
    EXPECT_EQ(ReportLog::instance().reports().back().error, ERROR_LINE_BUSY);
}

TEST_F(LineSimulatorTest, FarEndHangsUpADroppingLineAtItsTime)
{
    ASSERT_EQ(simulator.database().addEntry(simEntry("drop", "drop:1")), 0u);
    ReportLog::instance().reset();
    HRASCONN handle = kNoConnection;
    ASSERT_EQ(dialEntry(simulator, "drop", &handle), 0u);
    ASSERT_TRUE(ReportLog::instance().waitForCount(kConnected.size()));
    const auto connectedAt = std::chrono::steady_clock::now();
    // Listed as connected until the drop, here and in every other process.
    EXPECT_EQ(test::connectionNames(simulator), std::vector<std::string>{"drop"});
    LineSimulator other(env.dialupPath());
    EXPECT_EQ(test::connectionNames(other), std::vector<std::string>{"drop"});
    ASSERT_TRUE(ReportLog::instance().waitForCount(kConnected.size() + 1));
    EXPECT_GE(std::chrono::steady_clock::now() - connectedAt, std::chrono::milliseconds(900));
    const auto reports = ReportLog::instance().reports();
    EXPECT_EQ(reports[kConnected.size() - 1].state, RASCS_Connected);
    EXPECT_EQ(reports.back().state, RASCS_Disconnected);
    EXPECT_EQ(reports.back().error, ERROR_REMOTE_DISCONNECTION);
    EXPECT_TRUE(test::connectionNames(simulator).empty());
    EXPECT_TRUE(test::connectionNames(other).empty());
}

TEST_F(LineSimulatorTest, DeviceHeldByAConnectionAnswers602)
{
    ASSERT_EQ(simulator.database().addEntry(simEntry("first", "connect", 0, "modem-a")), 0u);
    ASSERT_EQ(simulator.database().addEntry(simEntry("same modem", "connect", 0, "modem-a")), 0u);
    ASSERT_EQ(simulator.database().addEntry(simEntry("other modem", "connect", 0, "modem-b")), 0u);
    HRASCONN first = kNoConnection;
    ASSERT_EQ(dialToEnd("first", &first).second, 0u);

    HRASCONN handle = kNoConnection;
    EXPECT_EQ(dialEntry(simulator, "same modem", &handle), ERROR_PORT_ALREADY_OPEN);
    EXPECT_EQ(dialEntry(simulator, "first", &handle), ERROR_PORT_ALREADY_OPEN);
    EXPECT_EQ(dialToEnd("other modem").second, 0u);

    EXPECT_EQ(simulator.hangUp(first), 0u);
    EXPECT_EQ(dialToEnd("same modem").second, 0u);
    EXPECT_EQ(test::connectionNames(simulator), (std::vector<std::string>{"other modem", "same modem"}));
}

TEST_F(LineSimulatorTest, HangingUpADialInProgressStopsItsReports)
{
    ASSERT_EQ(simulator.database().addEntry(simEntry("slow", "connect", 100)), 0u);
    ReportLog::instance().reset();
    HRASCONN handle = kNoConnection;
    ASSERT_EQ(dialEntry(simulator, "slow", &handle), 0u);
    ASSERT_TRUE(ReportLog::instance().waitForCount(1));
    // Listed while it dials.
    EXPECT_EQ(test::connectionNames(simulator), std::vector<std::string>{"slow"});
    EXPECT_EQ(simulator.hangUp(handle), 0u);
    const std::size_t seen = ReportLog::instance().reports().size();
    EXPECT_LT(seen, kConnected.size());
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_EQ(ReportLog::instance().reports().size(), seen);
    EXPECT_TRUE(test::connectionNames(simulator).empty());
    // A second hang-up of the same handle is harmless; a handle never handed out is not.
    EXPECT_EQ(simulator.hangUp(handle), 0u);
    EXPECT_EQ(simulator.hangUp(kNoConnection), ERROR_INVALID_HANDLE_RAS);
    EXPECT_EQ(simulator.hangUp(987654), ERROR_INVALID_HANDLE_RAS);
}

// Takes its time over the first report it is given: 0 before, 1 during, 2 after.
std::atomic<int> g_slowReport{0};
void slowNotifier(std::uint32_t, std::uint32_t, std::uint32_t)
{
    int expected = 0;
    if (g_slowReport.compare_exchange_strong(expected, 1)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        g_slowReport = 2;
    }
}

TEST_F(LineSimulatorTest, AHangUpWaitsForAReportAlreadyOnItsWay)
{
    ASSERT_EQ(simulator.database().addEntry(simEntry("slow", "connect", 100)), 0u);
    g_slowReport = 0;
    HRASCONN handle = kNoConnection;
    ASSERT_EQ(dialEntry(simulator, "slow", &handle, nullptr, &slowNotifier), 0u);
    for (int i = 0; i < 10000 && g_slowReport == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(g_slowReport, 1);
    EXPECT_EQ(simulator.hangUp(handle), 0u);
    EXPECT_EQ(g_slowReport, 2) << "the notifier still ran after the hang-up returned";
}

TEST_F(LineSimulatorTest, ASimulatorDestroyedMidDialLeavesOnlyItsConnectedLines)
{
    ASSERT_EQ(simulator.database().addEntry(simEntry("kept", "connect", 0, "modem-a")), 0u);
    ASSERT_EQ(simulator.database().addEntry(simEntry("slow", "connect", 60000, "modem-b")), 0u);
    {
        LineSimulator leaving(env.dialupPath());
        ReportLog::instance().reset();
        HRASCONN handle = kNoConnection;
        ASSERT_EQ(dialEntry(leaving, "kept", &handle), 0u);
        ASSERT_TRUE(ReportLog::instance().waitForEnd());
        ReportLog::instance().reset();
        ASSERT_EQ(dialEntry(leaving, "slow", &handle), 0u);
        ASSERT_TRUE(ReportLog::instance().waitForCount(1));
    }
    EXPECT_EQ(ReportLog::instance().reports().size(), 1u);
    EXPECT_EQ(test::connectionNames(simulator), std::vector<std::string>{"kept"});
}

TEST_F(LineSimulatorTest, AHangUpByAnotherProcessEndsTheDialWithItsReport)
{
    ASSERT_EQ(simulator.database().addEntry(simEntry("slow", "connect", 100)), 0u);
    ReportLog::instance().reset();
    HRASCONN handle = kNoConnection;
    ASSERT_EQ(dialEntry(simulator, "slow", &handle), 0u);
    ASSERT_TRUE(ReportLog::instance().waitForCount(1));

    LineSimulator other{env.dialupPath()};
    EXPECT_EQ(other.hangUp(handle), 0u);
    ASSERT_TRUE(ReportLog::instance().waitForEnd());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto reports = ReportLog::instance().reports();
    EXPECT_EQ(reports.back().state, RASCS_Disconnected);
    EXPECT_EQ(reports.back().error, ERROR_USER_DISCONNECTION);
    EXPECT_LT(reports.size(), kConnected.size());
    EXPECT_TRUE(test::connectionNames(simulator).empty());
}

TEST_F(LineSimulatorTest, StoredParametersAndWrongPassword)
{
    SimEntry entry = simEntry("stored");
    entry.domain = "WORK";
    ASSERT_EQ(simulator.database().addEntry(entry), 0u);
    SimEntry bare = simEntry("bare");
    bare.user.reset();
    bare.password.reset();
    ASSERT_EQ(simulator.database().addEntry(bare), 0u);

    RASDIALPARAMSA params{};
    params.dwSize = sizeof params;
    std::strcpy(params.szEntryName, "stored");
    std::strcpy(params.szDomain, "*");
    bool retrieved = false;
    ASSERT_EQ(simulator.getEntryDialParams(&params, &retrieved), 0u);
    EXPECT_TRUE(retrieved);
    EXPECT_STREQ(params.szPhoneNumber, "0120000000");
    EXPECT_STREQ(params.szUserName, "user");
    EXPECT_STREQ(params.szPassword, "secret");
    EXPECT_STREQ(params.szDomain, "WORK");

    RASDIALPARAMSA empty{};
    empty.dwSize = sizeof empty;
    std::strcpy(empty.szEntryName, "bare");
    std::strcpy(empty.szDomain, "*");
    ASSERT_EQ(simulator.getEntryDialParams(&empty, &retrieved), 0u);
    EXPECT_FALSE(retrieved);
    EXPECT_STREQ(empty.szUserName, "");
    EXPECT_STREQ(empty.szDomain, "*");

    std::strcpy(empty.szEntryName, "missing");
    EXPECT_EQ(simulator.getEntryDialParams(&empty, &retrieved), ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
    empty.dwSize = 1048;
    EXPECT_EQ(simulator.getEntryDialParams(&empty, &retrieved), ERROR_INVALID_SIZE);

    // A password other than the stored one fails where a server would refuse it.
    ReportLog::instance().reset();
    HRASCONN handle = kNoConnection;
    ASSERT_EQ(dialEntry(simulator, "stored", &handle, "wrong"), 0u);
    ASSERT_TRUE(ReportLog::instance().waitForEnd());
    EXPECT_EQ(ReportLog::instance().reports().back().state, RASCS_Authenticate);
    EXPECT_EQ(ReportLog::instance().reports().back().error, ERROR_AUTHENTICATION_FAILURE);
}

TEST_F(LineSimulatorTest, ListingsKeepTheCapacityProtocol)
{
    for (const char* name : {"一", "二", "三"})
        ASSERT_EQ(simulator.database().addEntry(simEntry(name)), 0u);
    std::vector<RASENTRYNAMEA> records(3);
    records[0].dwSize = sizeof(RASENTRYNAMEA);
    std::uint32_t size = sizeof(RASENTRYNAMEA);
    std::uint32_t count = 0;
    EXPECT_EQ(simulator.enumEntries(records.data(), &size, &count), ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(size, 3 * sizeof(RASENTRYNAMEA));
    EXPECT_EQ(simulator.enumEntries(records.data(), &size, &count), 0u);
    ASSERT_EQ(count, 3u);
    EXPECT_STREQ(records[2].szEntryName, "三");
    EXPECT_EQ(records[1].dwSize, sizeof(RASENTRYNAMEA));

    records[0].dwSize = 260;
    EXPECT_EQ(simulator.enumEntries(records.data(), &size, &count), ERROR_INVALID_SIZE);

    RASCONNA connection{};
    connection.dwSize = sizeof connection;
    size = sizeof connection;
    EXPECT_EQ(simulator.enumConnections(&connection, &size, &count), 0u);
    EXPECT_EQ(count, 0u);
}

TEST_F(LineSimulatorTest, OwnTextForEveryCodeItAnswers)
{
    const std::uint32_t codes[] = {ERROR_INVALID_HANDLE_RAS,   ERROR_INVALID_PARAMETER_RAS,
                                   ERROR_INVALID_NAME_RAS,     ERROR_ALREADY_EXISTS_RAS,
                                   ERROR_PORT_ALREADY_OPEN,    ERROR_BUFFER_TOO_SMALL,
                                   ERROR_CANNOT_OPEN_PHONEBOOK, ERROR_CANNOT_LOAD_PHONEBOOK,
                                   ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, ERROR_CANNOT_WRITE_PHONEBOOK,
                                   ERROR_REMOTE_DISCONNECTION, ERROR_HARDWARE_FAILURE,
                                   ERROR_INVALID_SIZE,         ERROR_NOT_ENOUGH_MEMORY,
                                   ERROR_LINE_BUSY,            ERROR_NO_ANSWER,
                                   ERROR_NO_DIALTONE,          ERROR_AUTHENTICATION_FAILURE};
    char buffer[256];
    for (std::uint32_t code : codes) {
        std::memset(buffer, 0, sizeof buffer);
        EXPECT_EQ(simulator.getErrorString(code, buffer, sizeof buffer), 0u) << code;
        EXPECT_GT(std::strlen(buffer), 0u) << code;
    }
    EXPECT_NE(simulator.getErrorString(12345, buffer, sizeof buffer), 0u);
    EXPECT_NE(simulator.getErrorString(ERROR_LINE_BUSY, buffer, 4), 0u);
}

TEST_F(LineSimulatorTest, EntriesAreCheckedBeforeTheyAreStored)
{
    EXPECT_EQ(simulator.database().addEntry(simEntry(std::string(RAS_MaxEntryName, 'n'))), 0u);
    EXPECT_EQ(simulator.database().addEntry(simEntry(std::string(RAS_MaxEntryName + 1, 'n'))),
              ERROR_INVALID_NAME_RAS);
    EXPECT_EQ(simulator.database().addEntry(simEntry("")), ERROR_INVALID_NAME_RAS);
    EXPECT_EQ(simulator.database().addEntry(simEntry("two\nlines")), ERROR_INVALID_NAME_RAS);
    EXPECT_EQ(simulator.database().addEntry(simEntry("bad line", "sometimes")), ERROR_INVALID_PARAMETER_RAS);
    SimEntry longDomain = simEntry("domain");
    longDomain.domain = std::string(DNLEN + 1, 'd');
    EXPECT_EQ(simulator.database().addEntry(longDomain), ERROR_INVALID_PARAMETER_RAS);
    EXPECT_EQ(simulator.database().addEntry(simEntry(std::string(RAS_MaxEntryName, 'n'))),
              ERROR_ALREADY_EXISTS_RAS);
    EXPECT_EQ(simulator.database().removeEntry("never added"), ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
    std::vector<std::string> names;
    ASSERT_EQ(simulator.database().entryNames(names), 0u);
    EXPECT_EQ(names, std::vector<std::string>{std::string(RAS_MaxEntryName, 'n')});
}

} // namespace
} // namespace telmaq
