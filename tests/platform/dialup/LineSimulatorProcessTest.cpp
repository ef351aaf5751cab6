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

using test::ReportLog;

// Connections live in the shared file, not in the process that dialled them. These tests
// fork while no simulator (and so no thread) exists in this process; the child uses only
// its own simulator and leaves with _exit.

enum class ChildEnd
{
    AfterConnected, // dials to Connected, then exits without hanging up
    WhileDialling,  // starts a slow dial, says so, then waits to be killed
};

pid_t startChild(const std::string& path, const std::string& entry, ChildEnd end, int readyPipe)
{
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    int status = 1;
    {
        LineSimulator simulator(path);
        HRASCONN handle = kNoConnection;
        if (test::dialEntry(simulator, entry, &handle) == 0) {
            if (end == ChildEnd::WhileDialling) {
                const char ready = 'r';
                if (::write(readyPipe, &ready, 1) == 1)
                    ::pause();
            } else if (ReportLog::instance().waitForEnd() &&
                       ReportLog::instance().reports().back().state == RASCS_Connected) {
                status = 0;
            }
        }
    }
    ::_exit(status);
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
    ASSERT_GT(child, 0);
    siginfo_t info{};
    ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT), 0);
    EXPECT_EQ(processStartTime(child), "");
    ::waitpid(child, nullptr, 0);
}

TEST(LineSimulatorProcesses, ConnectionOutlivesItsProcessAndAnotherHangsItUp)
{
    test::TempEnvironment env;
    {
        LineSimulator setup(env.dialupPath());
        ASSERT_EQ(setup.database().addEntry(test::simEntry("別プロセス")), 0u);
    }
    const pid_t child = startChild(env.dialupPath(), "別プロセス", ChildEnd::AfterConnected, -1);
    ASSERT_GT(child, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    LineSimulator simulator(env.dialupPath());
    std::vector<HRASCONN> handles;
    ASSERT_EQ(test::connectionNames(simulator, &handles), std::vector<std::string>{"別プロセス"});
    // The line is held: this process cannot dial it again until it hangs it up.
    HRASCONN mine = kNoConnection;
    EXPECT_EQ(test::dialEntry(simulator, "別プロセス", &mine), ERROR_PORT_ALREADY_OPEN);
    EXPECT_EQ(simulator.hangUp(handles[0]), 0u);
    EXPECT_TRUE(test::connectionNames(simulator).empty());
    EXPECT_EQ(simulator.hangUp(handles[0]), ERROR_INVALID_HANDLE_RAS);
}

TEST(LineSimulatorProcesses, DialOfAProcessThatDiedIsNotListed)
{
    test::TempEnvironment env;
    {
        LineSimulator setup(env.dialupPath());
        ASSERT_EQ(setup.database().addEntry(test::simEntry("slow", "connect", 60000)), 0u);
    }
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t child = startChild(env.dialupPath(), "slow", ChildEnd::WhileDialling, fds[1]);
    ASSERT_GT(child, 0);
    ::close(fds[1]);
    char ready = 0;
    const bool started = ::read(fds[0], &ready, 1) == 1;
    ::close(fds[0]);
    if (!started) {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        FAIL() << "the child could not start its dial";
    }

    LineSimulator simulator(env.dialupPath());
    EXPECT_EQ(test::connectionNames(simulator), std::vector<std::string>{"slow"});
    ::kill(child, SIGKILL);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    EXPECT_TRUE(test::connectionNames(simulator).empty());
    // The dead dial holds the modem no longer.
    ReportLog::instance().reset();
    HRASCONN handle = kNoConnection;
    EXPECT_EQ(test::dialEntry(simulator, "slow", &handle), 0u);
    EXPECT_EQ(simulator.hangUp(handle), 0u);
}

} // namespace
} // namespace telmaq
