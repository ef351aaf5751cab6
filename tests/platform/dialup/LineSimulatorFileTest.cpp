#include "platform/dialup/LineSimulator.h"
#include "platform/dialup/ProcessLiveness.h"

#include "SimulatorTestSupport.h"
#include "platform/HiveTestSupport.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace telmaq {
namespace {

namespace fs = std::filesystem;
using namespace test;
using Names = std::vector<std::string>;

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
