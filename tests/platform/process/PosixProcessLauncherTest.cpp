#include "platform/process/PosixProcessLauncher.h"

#include "platform/HiveTestSupport.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <signal.h>
#include <thread>
#include <unistd.h>

namespace telmaq {
namespace {

namespace fs = std::filesystem;

// Only waits for conditions and never judges how long they took: sanitizers are slow.
template <typename Condition> bool eventually(Condition condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!condition() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return condition();
}

// "Z" for a zombie, "" for a process that is gone, else its state letter.
std::string stateOf(ProcessHandle pid)
{
    const std::string stat = test::fileContents("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t close = stat.rfind(')');
    return close == std::string::npos ? "" : stat.substr(close + 2, 1);
}

class PosixProcessLauncherTest : public ::testing::Test
{
protected:
    // Runs sh -c script with out as $0 to its end and answers what it wrote there.
    std::string run(const std::string& script, const std::string& args = "")
    {
        std::string error;
        const ProcessHandle pid = launcher.start("sh -c '" + script + "' '" + out() + "' " + args, &error);
        EXPECT_NE(pid, kNoProcess) << error;
        EXPECT_TRUE(eventually([&] { return launcher.hasEnded(pid); }));
        launcher.close(pid);
        return test::fileContents(out());
    }
    std::string out() const { return (env.dir() / "out").string(); }

    test::TempEnvironment env;
    PosixProcessLauncher launcher;
};

// Were a shell involved, $HOME and the ; would be interpreted; they arrive as text. A file we
// hold open without close-on-exec is not handed on.
TEST_F(PosixProcessLauncherTest, PassesWordsEnvironmentAndDirectoryButNoShellNorOtherFiles)
{
    ::setenv("TELMAQ_LAUNCH_PROBE", "probe value", 1);
    const int inheritable = ::open(env.dir().c_str(), O_RDONLY | O_DIRECTORY);
    const int probe = ::fcntl(inheritable, F_DUPFD, 37); // plain dup: no close-on-exec
    ::close(inheritable);
    ASSERT_GE(probe, 37);
    const fs::path before = fs::current_path();
    fs::current_path(env.dir());
    EXPECT_EQ(run("printf \"%s|\" \"$@\" \"$TELMAQ_LAUNCH_PROBE\" \"$(pwd)\" > \"$0\"; [ -e /proc/self/fd/" +
                      std::to_string(probe) + " ] && echo open >> \"$0\"",
                  "'a b' \"c\\\"d\" '$HOME;x' ''"),
              "a b|c\"d|$HOME;x||probe value|" + env.dir().string() + "|");
    fs::current_path(before);
    ::unsetenv("TELMAQ_LAUNCH_PROBE");
    ::close(probe);
}

TEST_F(PosixProcessLauncherTest, ReportsWhatCannotBeStartedAsAFailure)
{
    test::writeFile(out(), "#!/bin/sh\nexit 0\n"); // not executable
    for (const std::string& line :
         {std::string("/nonexistent/telmaq-no-such-program --flag"), std::string("telmaq-no-such-program-on-path"),
          out(), env.dir().string(), std::string("   "), std::string("'unterminated")}) {
        std::string error;
        EXPECT_EQ(launcher.start(line, &error), kNoProcess) << line;
        EXPECT_FALSE(error.empty()) << line;
    }
    EXPECT_EQ(launcher.start("/nonexistent/x", nullptr), kNoProcess);
}

TEST_F(PosixProcessLauncherTest, TellsTheEndWithoutWaitingAndReapsAClosedChildAtTheNextLaunch)
{
    const fs::path release = env.dir() / "release";
    const std::string waiting = "sh -c 'while [ ! -e \"$0\" ]; do sleep 0.02; done' '" + release.string() + "'";
    std::string error;
    const ProcessHandle held = launcher.start(waiting, &error), closed = launcher.start(waiting, &error);
    ASSERT_TRUE(held != kNoProcess && closed != kNoProcess) << error;
    EXPECT_FALSE(launcher.hasEnded(held));
    launcher.close(closed);
    EXPECT_EQ(::kill(static_cast<pid_t>(closed), 0), 0) << "closing must not kill the child";
    test::writeFile(release.string(), "go");
    ASSERT_TRUE(eventually([&] { return launcher.hasEnded(held) && (stateOf(closed) + "Z")[0] == 'Z'; }));
    EXPECT_TRUE(launcher.hasEnded(held)) << "stays ended while the handle is held";
    launcher.close(held);
    EXPECT_EQ(stateOf(held), "");
    // The next launch collects the closed one, so no zombie lingers while telmaq runs.
    EXPECT_EQ(run("true"), "");
    EXPECT_EQ(stateOf(closed), "");
    // Handles that are not ours, or none, count as ended rather than as running forever.
    EXPECT_TRUE(launcher.hasEnded(kNoProcess) && launcher.hasEnded(::getpid()));
}

} // namespace
} // namespace telmaq
