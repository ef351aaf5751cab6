#include "platform/dialup/LineSimulator.h"
#include "platform/dialup/LineBehaviour.h"
#include "platform/dialup/ProcessLiveness.h"

#include "SimulatorTestSupport.h"
#include "platform/HiveTestSupport.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace telmaq {
namespace {

namespace fs = std::filesystem;
using namespace test;
using Names = std::vector<std::string>;
using States = std::vector<std::uint32_t>;

const States& kConnected = kConnectedStates;

class LineSimulatorTest : public ::testing::Test
{
protected:
    // Adds an entry on a modem of its own name and starts dialling it.
    HRASCONN start(const std::string& name, const std::string& line = "connect", std::uint32_t stepMs = 0)
    {
        EXPECT_EQ(simulator.database().addEntry(simEntry(name, line, stepMs, name)), 0u);
        return redial(name);
    }
    HRASCONN redial(const std::string& name, LineSimulator* through = nullptr, const char* password = nullptr)
    {
        HRASCONN handle = kNoConnection;
        EXPECT_EQ(dialEntry(through ? *through : simulator, name, &handle, password), 0u) << name;
        return handle;
    }
    std::pair<States, std::uint32_t> ending() { return log.ending(); }

    TempEnvironment env;
    ReportLog& log = ReportLog::instance();
    LineSimulator simulator{env.dialupPath()};
};

TEST_F(LineSimulatorTest, ABusyCountIsKeptInTheFileAndStartsAgainWhenTheEntryChanges)
{
    LineSimulator other(env.dialupPath());
    start("二回話中", "busy:2");
    EXPECT_EQ(ending().second, ERROR_LINE_BUSY);
    redial("二回話中", &other);
    EXPECT_EQ(ending().second, ERROR_LINE_BUSY);
    const HRASCONN third = redial("二回話中");
    EXPECT_EQ(ending(), std::make_pair(kConnected, 0u));
    simulator.hangUp(third);
    ASSERT_EQ(simulator.database().updateEntry(simEntry("二回話中", "busy:1")), 0u);
    redial("二回話中");
    EXPECT_EQ(ending().second, ERROR_LINE_BUSY);
}

TEST_F(LineSimulatorTest, TheFarEndHangsUpADroppingLineAtItsTimeForEveryProcess)
{
    start("drop", "drop:1");
    ASSERT_TRUE(log.waitFor(kConnected.size()));
    const auto connectedAt = std::chrono::steady_clock::now();
    LineSimulator other(env.dialupPath());
    EXPECT_EQ(connectionNames(simulator), Names{"drop"});
    EXPECT_EQ(connectionNames(other), Names{"drop"});
    ASSERT_TRUE(log.waitFor(kConnected.size() + 1));
    EXPECT_GE(std::chrono::steady_clock::now() - connectedAt, std::chrono::milliseconds(900));
    EXPECT_EQ(ending().second, ERROR_REMOTE_DISCONNECTION);
    EXPECT_EQ(log.reports().back().state, RASCS_Disconnected);
    EXPECT_EQ(connectionNames(other), Names{});
}

// Here the hang-up ends the dial quietly (the caller knows); through another process the dial
// here hears of it as the user's disconnection.
TEST_F(LineSimulatorTest, AHangUpStopsADialHereAndEndsItWithAReportThroughAnotherProcess)
{
    LineSimulator other(env.dialupPath());
    for (LineSimulator* hangingUp : {&simulator, &other}) {
        const bool there = hangingUp == &other;
        const std::string name = there ? "there" : "here";
        const HRASCONN handle = start(name, "connect", 100);
        ASSERT_TRUE(log.waitFor(1));
        EXPECT_EQ(connectionNames(simulator), Names{name}) << "listed while it dials";
        EXPECT_EQ(hangingUp->hangUp(handle), 0u);
        EXPECT_TRUE(there ? log.waitFor() : simulator.hangUp(handle) == 0) << "again is harmless";
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        const auto reports = log.reports();
        EXPECT_LT(reports.size(), kConnected.size());
        EXPECT_EQ(std::make_pair(reports.back().state == RASCS_Disconnected, reports.back().error),
                  std::make_pair(there, there ? ERROR_USER_DISCONNECTION : 0u));
        EXPECT_EQ(connectionNames(simulator), Names{});
    }
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
        redial("kept", &leaving);
        ASSERT_TRUE(log.waitFor());
        redial("slow", &leaving);
        ASSERT_TRUE(log.waitFor(1));
    }
    EXPECT_EQ(log.reports().size(), 1u);
    EXPECT_EQ(connectionNames(simulator), Names{"kept"});
}

TEST_F(LineSimulatorTest, StoredParametersAreHandedOutAsTheCallerSizedThem)
{
    SimEntry stored = simEntry("stored"), bare = simEntry("bare");
    stored.domain = "WORK";
    bare.user = bare.password = std::nullopt;
    ASSERT_EQ(simulator.database().addEntry(stored) + simulator.database().addEntry(bare), 0u);
    EXPECT_EQ(paramsOf(simulator, "stored"), "0|user|secret|0120000000|WORK|retrieved");
    EXPECT_EQ(paramsOf(simulator, "bare", true), "0|||0120000000|*");
    EXPECT_EQ(paramsOf(simulator, "missing").substr(0, 4), "623|");
    EXPECT_EQ(paramsOf(simulator, "stored", false, 1048).substr(0, 4), "632|");
}

TEST_F(LineSimulatorTest, ListingsKeepTheCapacityProtocolAndEveryCodeHasAText)
{
    ASSERT_EQ(simulator.database().addEntry(simEntry("一")) + simulator.database().addEntry(simEntry("二")), 0u);
    start("三");
    ASSERT_EQ(ending().second, 0u);
    std::vector<RASENTRYNAMEA> entries(3);
    entries[0].dwSize = sizeof(RASENTRYNAMEA);
    std::uint32_t size = 2 * sizeof(RASENTRYNAMEA), count = 0;
    EXPECT_EQ(simulator.enumEntries(entries.data(), &size, &count), ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(size, 3 * sizeof(RASENTRYNAMEA));
    EXPECT_EQ(simulator.enumEntries(entries.data(), &size, &count), 0u);
    EXPECT_EQ(std::to_string(count) + entries[2].szEntryName, "3三");
    EXPECT_EQ(entries[1].dwSize, sizeof(RASENTRYNAMEA));
    entries[0].dwSize = 260;
    EXPECT_EQ(simulator.enumEntries(entries.data(), &size, &count), ERROR_INVALID_SIZE);
    RASCONNA connection{};
    connection.dwSize = sizeof connection;
    size = 0;
    EXPECT_EQ(simulator.enumConnections(&connection, &size, &count), ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(size, sizeof connection);
    char text[256];
    for (std::uint32_t code : {6, 8, 87, 123, 183, 602, 603, 621, 622, 623, 624, 629, 630, 632, 676, 678, 680, 691})
        EXPECT_TRUE(simulator.getErrorString(code, text, sizeof text) == 0 && text[0]) << code;
    EXPECT_NE(simulator.getErrorString(12345, text, sizeof text), 0u);
    EXPECT_NE(simulator.getErrorString(ERROR_LINE_BUSY, text, 4), 0u);
}

TEST_F(LineSimulatorTest, EntriesAreCheckedBeforeTheyAreStored)
{
    SimEntry longDomain = simEntry("domain");
    longDomain.domain = std::string(DNLEN + 1, 'd');
    std::vector<std::uint32_t> codes;
    for (const SimEntry& entry :
         {simEntry(std::string(255, 'n')), simEntry(std::string(256, 'n')), simEntry(""), simEntry("two\nlines"),
          simEntry("caf\xe9"), simEntry("bad line", "sometimes"), longDomain})
        codes.push_back(simulator.database().addEntry(entry));
    EXPECT_EQ(codes, (std::vector<std::uint32_t>{0, 123, 123, 123, 123, 87, 87}));
}

// A busy count counts the entry's dials, and before anyone checks the password.
TEST(LineBehaviour, TextFormsReadBackAsWrittenNonsenseIsRefusedAndBusyCountsDials)
{
    for (const char* text : {"connect", "busy", "busy:0", "busy:3", "no-answer", "no-dialtone", "no-modem", "auth-fail",
                             "drop:0", "drop:5", "drop:0.25", "drop:1.5", "drop:1.005"}) {
        const auto line = LineBehaviour::parse(text);
        EXPECT_EQ(line ? line->text() : "refused", text);
    }
    EXPECT_EQ(LineBehaviour::parse("drop:2.5")->dropAfterMs, 2500u);
    for (const char* text : {"", "Connect", "busy:", "busy:-1", "busy: 2", "busy:x", "busy:1234567890",
                             "drop:", "drop:-1", "drop:1e3", "drop:.5", "drop:1.2.3", "drop:100000", "hang"})
        EXPECT_FALSE(LineBehaviour::parse(text).has_value()) << text;
    const LineBehaviour twice = *LineBehaviour::parse("busy:2");
    for (const std::uint64_t dial : {1, 2, 3})
        EXPECT_EQ(std::make_pair(dialSteps(twice, dial, false).back().error, dialSteps(twice, dial, true).back().error),
                  dial < 3 ? std::make_pair(ERROR_LINE_BUSY, ERROR_LINE_BUSY)
                           : std::make_pair(0u, ERROR_AUTHENTICATION_FAILURE))
            << dial;
}

Names namesIn(const std::string& path)
{
    Names names{"stale"};
    EXPECT_EQ(SimulatorDatabase(path).entryNames(names), 0u);
    return names;
}

TEST(LineSimulatorFile, AFileThatIsNotOurPhonebookIsRefusedByEveryCallAndLeftAsItIs)
{
    using Make = void (*)(const std::string&);
    for (Make make : std::initializer_list<Make>{
             [](const std::string& p) { runSql(p, "CREATE TABLE notes(text)"); },
             [](const std::string& p) { runSql(p, "CREATE TABLE entries(x); PRAGMA user_version=1"); },
             [](const std::string& p) { // a newer version's
                 SimulatorDatabase(p).addEntry(simEntry("A"));
                 runSql(p, "PRAGMA user_version=2");
             },
             [](const std::string& p) { writeFile(p, std::string(8192, 'x')); },
             [](const std::string& p) { fs::create_directory(p); }}) {
        TempEnvironment env;
        const std::string path = env.dialupPath();
        make(path);
        const bool folder = fs::is_directory(path);
        const std::string before = fileContents(path); // a folder reads as empty
        SimulatorDatabase database(path);
        Names names;
        std::vector<SimConnection> connections;
        SimEntry entry = simEntry("A");
        SimulatorDatabase::DialStart start;
        for (std::uint32_t code :
             {database.entryNames(names), database.findEntry("A", entry), database.connections(connections, 0),
              database.addEntry(entry), database.updateEntry(entry), database.removeEntry("A"),
              database.startDial("A", 0, start)})
            EXPECT_EQ(code, folder ? ERROR_CANNOT_OPEN_PHONEBOOK : ERROR_CANNOT_LOAD_PHONEBOOK) << before.size();
        EXPECT_NE(database.lastError().find(path), std::string::npos) << database.lastError();
        EXPECT_EQ(fileContents(path), before);
        EXPECT_FALSE(fs::exists(path + "-wal"));
    }
}

// Reading never makes a file: none and an empty one are an empty phonebook until an entry is added.
TEST(LineSimulatorFile, OnlyAddingMakesAPhonebookAndItIsPrivateSharedAndInWriteAheadMode)
{
    TempEnvironment env;
    const std::string path = (env.dir() / "new" / "dialup.db").string();
    for (bool emptyFile : {false, true}) {
        if (emptyFile)
            writeFile(path, "");
        SimulatorDatabase database(path);
        std::vector<SimConnection> connections;
        SimEntry entry;
        EXPECT_EQ(namesIn(path), Names{});
        EXPECT_EQ((std::vector<std::uint32_t>{0, 623, 623}),
                  (std::vector<std::uint32_t>{database.connections(connections, 0), database.findEntry("A", entry),
                                              database.removeEntry("A")}));
        EXPECT_EQ(fs::exists(path) ? fileContents(path) : "none", emptyFile ? "" : "none");
        fs::create_directories(env.dir() / "new");
    }
    fs::remove_all(env.dir() / "new");
    ASSERT_EQ(SimulatorDatabase(path).addEntry(simEntry("A")), 0u);
    EXPECT_EQ(namesIn(path), Names{"A"});
    EXPECT_EQ(modeOf(path), 0600u);
    EXPECT_EQ(fileContents(path).substr(18, 2), "\2\2") << "write-ahead mode";
    // An earlier version's phonebook had no mark and the umask's mode, and holds passwords.
    runSql(path, "PRAGMA application_id=0");
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    EXPECT_EQ(namesIn(path), Names{"A"});
    EXPECT_EQ(modeOf(path), 0600u);
    if (::geteuid() == 0)
        return; // root writes anywhere
    fs::create_directories(env.dir() / "locked");
    ::chmod((env.dir() / "locked").c_str(), 0500);
    EXPECT_EQ(SimulatorDatabase((env.dir() / "locked" / "dialup.db").string()).addEntry(simEntry("A")),
              ERROR_CANNOT_OPEN_PHONEBOOK);
    ::chmod((env.dir() / "locked").c_str(), 0700);
}

TEST(ProcessLiveness, AProcessIsItsNumberAndItsStartTime)
{
    const std::string mine = processStartTime(::getpid());
    ASSERT_FALSE(mine.empty());
    // The same number given to a later process is another process.
    EXPECT_EQ("100", std::string() + char('0' + processAlive(::getpid(), mine)) +
                         char('0' + processAlive(::getpid(), mine + "0")) + char('0' + processAlive(::getpid(), "")));
    // A program may give itself any name, parentheses and spaces included.
    char name[17] = {};
    ASSERT_EQ(::prctl(PR_GET_NAME, name) + ::prctl(PR_SET_NAME, "a) b c d) e"), 0);
    const std::string renamed = processStartTime(::getpid());
    ::prctl(PR_SET_NAME, name);
    EXPECT_EQ(renamed, mine);
    // A process that has ended is not alive, though its parent has not yet reaped it.
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    siginfo_t info{};
    ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT), 0);
    EXPECT_EQ(processStartTime(child), "");
    ::waitpid(child, nullptr, 0);
}

// Forks while no simulator (and so no thread) exists in this process.
TEST(LineSimulatorProcesses, TheDialOfAProcessThatDiedIsNotListedAndHoldsNoModem)
{
    TempEnvironment env;
    ASSERT_EQ(SimulatorDatabase(env.dialupPath()).addEntry(simEntry("slow", "connect", 60000)), 0u);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        LineSimulator simulator(env.dialupPath());
        HRASCONN handle = kNoConnection;
        if (dialEntry(simulator, "slow", &handle) == 0 && ::write(ready[1], "r", 1) == 1)
            ::pause();
        ::_exit(1);
    }
    char byte = 0;
    const bool dialling = ::read(ready[0], &byte, 1) == 1;
    LineSimulator simulator(env.dialupPath());
    EXPECT_EQ(connectionNames(simulator), dialling ? Names{"slow"} : Names{"the child could not dial"});
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(connectionNames(simulator), Names{});
    HRASCONN handle = kNoConnection;
    EXPECT_EQ(dialEntry(simulator, "slow", &handle), 0u);
    EXPECT_EQ(simulator.hangUp(handle), 0u);
}

} // namespace
} // namespace telmaq
