#include "platform/dialup/LineSimulator.h"
#include "platform/dialup/ProcessLiveness.h"

#include "SimulatorTestSupport.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace telmaq {
namespace {

using test::connectionNames;
using test::ReportLog;
using Names = std::vector<std::string>;

// Connections live in the shared file, not in the process that dialled them. These tests fork
// while no simulator (and so no thread) exists in this process.

// A child that dials the entry and tells the pipe once it has reached Connected, or (when
// the entry is slow) once it has started; it then waits to be killed.
pid_t dialInChild(const std::string& path, const std::string& entry, bool toTheEnd)
{
    int ready[2];
    if (::pipe(ready) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        LineSimulator simulator(path);
        HRASCONN handle = kNoConnection;
        ReportLog& log = ReportLog::instance();
        if (test::dialEntry(simulator, entry, &handle) == 0 &&
            (!toTheEnd || (log.waitForEnd() && log.reports().back().state == RASCS_Connected)) &&
            ::write(ready[1], "r", 1) == 1)
            ::pause();
        ::_exit(1);
    }
    ::close(ready[1]);
    char byte = 0;
    const bool told = ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);
    if (!told)
        ::waitpid(pid, nullptr, 0);
    return told ? pid : -1;
}

TEST(ProcessLiveness, AProcessIsItsNumberAndItsStartTime)
{
    const std::string mine = processStartTime(::getpid());
    ASSERT_FALSE(mine.empty());
    EXPECT_TRUE(processAlive(::getpid(), mine));
    // The same number given to a later process is another process.
    EXPECT_FALSE(processAlive(::getpid(), mine + "0"));
    EXPECT_FALSE(processAlive(::getpid(), ""));
    // A program may give itself any name, parentheses and spaces included.
    char name[17] = {};
    ASSERT_EQ(::prctl(PR_GET_NAME, name), 0);
    ASSERT_EQ(::prctl(PR_SET_NAME, "a) b c d) e"), 0);
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

TEST(LineSimulatorProcesses, AConnectionOutlivesItsProcessButADialDoesNot)
{
    test::TempEnvironment env;
    ASSERT_EQ(SimulatorDatabase(env.dialupPath()).addEntry(test::simEntry("別プロセス", "connect", 0, "a")), 0u);
    ASSERT_EQ(SimulatorDatabase(env.dialupPath()).addEntry(test::simEntry("slow", "connect", 60000, "b")), 0u);
    const pid_t connected = dialInChild(env.dialupPath(), "別プロセス", true);
    const pid_t dialling = dialInChild(env.dialupPath(), "slow", false);
    ASSERT_GT(connected, 0);
    ASSERT_GT(dialling, 0);
    LineSimulator simulator(env.dialupPath());
    EXPECT_EQ(connectionNames(simulator), (Names{"別プロセス", "slow"}));
    for (pid_t child : {connected, dialling}) {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
    std::vector<HRASCONN> handles;
    ASSERT_EQ(connectionNames(simulator, &handles), Names{"別プロセス"});
    // The line is held until this process hangs it up; the dead dial holds its modem no longer.
    HRASCONN mine = kNoConnection;
    EXPECT_EQ(test::dialEntry(simulator, "別プロセス", &mine), ERROR_PORT_ALREADY_OPEN);
    EXPECT_EQ(simulator.hangUp(handles[0]), 0u);
    EXPECT_EQ(connectionNames(simulator), Names{});
    EXPECT_EQ(simulator.hangUp(handles[0]), ERROR_INVALID_HANDLE_RAS);
    EXPECT_EQ(test::dialEntry(simulator, "slow", &mine), 0u);
    EXPECT_EQ(simulator.hangUp(mine), 0u);
}

} // namespace
} // namespace telmaq
