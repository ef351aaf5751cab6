#include "platform/process/PosixProcessLauncher.h"

#include "platform/HiveTestSupport.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <thread>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace telmaq {
namespace {

namespace fs = std::filesystem;

// Generous, because sanitizers and a busy machine slow children down a lot; the tests only
// wait for conditions and never judge how long they took.
constexpr auto kPatience = std::chrono::seconds(60);

template <typename Condition> bool eventually(Condition condition)
{
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::string readFile(const fs::path& path)
{
    return test::fileContents(path.string());
}

std::string quoted(const fs::path& path)
{
    return "'" + path.string() + "'";
}

bool isZombie(ProcessHandle pid)
{
    const std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t close = stat.rfind(')');
    return close != std::string::npos && stat.size() > close + 2 && stat[close + 2] == 'Z';
}

bool processExists(ProcessHandle pid)
{
    return fs::exists("/proc/" + std::to_string(pid));
}

class PosixProcessLauncherTest : public ::testing::Test
{
protected:
    // Starts a child that runs until the test creates the release file.
    ProcessHandle startWaitingChild()
    {
        const std::string line = "sh -c 'while [ ! -e \"$0\" ]; do sleep 0.02; done' " + quoted(release());
        std::string error;
        const ProcessHandle pid = launcher.start(line, &error);
        EXPECT_NE(pid, kNoProcess) << error;
        return pid;
    }
    fs::path release() const { return env.dir() / "release"; }
    void releaseChild() const { std::ofstream(release()) << "go"; }

    test::TempEnvironment env;
    PosixProcessLauncher launcher;
};

TEST_F(PosixProcessLauncherTest, PassesWordsEnvironmentAndDirectoryWithoutAShell)
{
    const fs::path out = env.dir() / "out";
    ::setenv("TELMAQ_LAUNCH_PROBE", "probe value", 1);
    const fs::path before = fs::current_path();
    fs::current_path(env.dir());

    // Were a shell involved, $HOME and the ; would be interpreted; they arrive as text.
    const std::string line = "sh -c 'printf \"%s|\" \"$@\" \"$TELMAQ_LAUNCH_PROBE\" \"$(pwd)\" > \"$0\"' " +
                             quoted(out) + " 'a b' \"c\\\"d\" '$HOME;x' ''";
    std::string error;
    const ProcessHandle pid = launcher.start(line, &error);
    fs::current_path(before);
    ::unsetenv("TELMAQ_LAUNCH_PROBE");

    ASSERT_NE(pid, kNoProcess) << error;
    ASSERT_TRUE(eventually([&] { return launcher.hasEnded(pid); }));
    EXPECT_EQ(readFile(out), "a b|c\"d|$HOME;x||probe value|" + env.dir().string() + "|");
    launcher.close(pid);
}

TEST_F(PosixProcessLauncherTest, ReportsWhatCannotBeStartedAsAFailure)
{
    const fs::path notExecutable = env.dir() / "plain.txt";
    std::ofstream(notExecutable) << "#!/bin/sh\nexit 0\n";
    ::chmod(notExecutable.c_str(), 0600);

    const std::string lines[] = {
        "/nonexistent/telmaq-no-such-program --flag",
        "telmaq-no-such-program-on-path",
        quoted(notExecutable),
        quoted(env.dir()), // a folder
        "",
        "   ",
        "'unterminated",
    };
    for (const std::string& line : lines) {
        std::string error;
        EXPECT_EQ(launcher.start(line, &error), kNoProcess) << line;
        EXPECT_FALSE(error.empty()) << line;
    }
    // The error argument may be left out.
    EXPECT_EQ(launcher.start("/nonexistent/x", nullptr), kNoProcess);
}

TEST_F(PosixProcessLauncherTest, TellsTheEndWithoutWaitingAndKeepsAnswering)
{
    const ProcessHandle pid = startWaitingChild();
    ASSERT_NE(pid, kNoProcess);
    EXPECT_FALSE(launcher.hasEnded(pid));
    EXPECT_FALSE(launcher.hasEnded(pid));

    releaseChild();
    ASSERT_TRUE(eventually([&] { return launcher.hasEnded(pid); }));
    // Once collected, the child stays ended for as long as the handle is held.
    EXPECT_TRUE(launcher.hasEnded(pid));
    launcher.close(pid);
    EXPECT_FALSE(processExists(pid) && isZombie(pid));

    // Handles that are not ours, or none, count as ended rather than as running forever.
    EXPECT_TRUE(launcher.hasEnded(kNoProcess));
    EXPECT_TRUE(launcher.hasEnded(::getpid()));
}

TEST_F(PosixProcessLauncherTest, ClosingLeavesTheChildRunningAndReapsItLater)
{
    const ProcessHandle pid = startWaitingChild();
    ASSERT_NE(pid, kNoProcess);
    launcher.close(pid);
    EXPECT_EQ(::kill(static_cast<pid_t>(pid), 0), 0) << "the child must not be killed";
    EXPECT_FALSE(isZombie(pid));

    releaseChild();
    ASSERT_TRUE(eventually([&] { return isZombie(pid) || !processExists(pid); }));
    // The next launch collects it, so no zombie lingers while telmaq runs.
    std::string error;
    const ProcessHandle other = launcher.start("true", &error);
    ASSERT_NE(other, kNoProcess) << error;
    EXPECT_FALSE(processExists(pid));
    ASSERT_TRUE(eventually([&] { return launcher.hasEnded(other); }));
    launcher.close(other);
}

TEST_F(PosixProcessLauncherTest, HandsOnlyTheStandardStreamsToTheChild)
{
    const int inheritable = ::open(env.dir().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(inheritable, 0);
    const int probe = ::fcntl(inheritable, F_DUPFD, 37); // plain dup: no close-on-exec
    ::close(inheritable);
    ASSERT_GE(probe, 37);

    const fs::path out = env.dir() / "fds";
    const std::string line = "sh -c 'if [ -e /proc/self/fd/" + std::to_string(probe) +
                             " ]; then echo open; else echo closed; fi > \"$0\"' " + quoted(out);
    std::string error;
    const ProcessHandle pid = launcher.start(line, &error);
    ::close(probe);
    ASSERT_NE(pid, kNoProcess) << error;
    ASSERT_TRUE(eventually([&] { return launcher.hasEnded(pid); }));
    EXPECT_EQ(readFile(out), "closed\n");
    launcher.close(pid);
}

} // namespace
} // namespace telmaq
