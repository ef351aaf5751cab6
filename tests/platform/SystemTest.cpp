#include "platform/process/CommandLine.h"
#include "platform/process/PosixProcessLauncher.h"
#include "platform/system/EchoedText.h"
#include "platform/system/FlockInstanceLock.h"
#include "platform/system/SystemClock.h"
#include "platform/system/UserPaths.h"
#include "platform/system/Utf8.h"

#include "HiveTestSupport.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <tuple>
#include <unistd.h>

namespace telmaq {
namespace {

using Result = IInstanceLock::Result;

// The edges of UTF-8: the shortest and longest of each length, and the forms that are not it.
TEST(Utf8, WellFormedSequencesOnlyAndMessagesEchoThemEscapedAndCut)
{
    for (const auto& [text, utf8] : {std::pair<std::string, bool>{"", true},
                                     {"a\x7f", true},
                                     {"\xc2\x80\xdf\xbf", true},
                                     {"\xe0\xa0\x80\xed\x9f\xbf\xef\xbf\xbf", true},
                                     {"\xf0\x90\x80\x80\xf4\x8f\xbf\xbf", true},
                                     {"\x80", false},
                                     {"\xc1\xbf", false},         // overlong
                                     {"\xe0\x9f\xbf", false},     // overlong
                                     {"\xed\xa0\x80", false},     // a surrogate
                                     {"\xf0\x8f\xbf\xbf", false}, // overlong
                                     {"\xf4\x90\x80\x80", false}, // past U+10FFFF
                                     {"\xe6\x8e", false},         // cut short
                                     {"\xe6\x8e\x41", false},
                                     {"\xf5\x80\x80\x80", false}})
        EXPECT_EQ(isUtf8(text), utf8) << testing::PrintToString(text);
    EXPECT_EQ(echoed("接続 a\tb\n\x1b[0m\xff"), "'接続 a\\tb\\n\\x1B[0m\\xFF'");
    EXPECT_EQ(echoed(std::string(10, 'x'), 4), "'xxxx'... (10 bytes)");
    EXPECT_EQ(echoed("xxxx", 4), "'xxxx'");
}

// localtime_r reads TZ afresh only at tzset().
TEST(SystemClock, BreaksTimeDownInTheLocalZone)
{
    const std::int64_t monday = 1'699'860'605; // 2023-11-13 07:30:05 UTC
    ::setenv("TZ", "UTC0", 1);
    ::tzset();
    const LocalTime t = SystemClock().localTime(monday);
    EXPECT_EQ(std::make_tuple(7, 30, 5), std::make_tuple(t.hour, t.minute, t.second));
    for (int day = 0; day < 7; ++day)
        EXPECT_EQ((1 + day) % 7, SystemClock().localTime(monday + day * 86400).weekday) << day;
    // Nine hours ahead, seventeen hours on is already Tuesday.
    ::setenv("TZ", "JST-9", 1);
    ::tzset();
    const LocalTime tokyo = SystemClock().localTime(monday + 17 * 3600);
    ::unsetenv("TZ");
    ::tzset();
    EXPECT_EQ(std::make_pair(7 + 9 + 17 - 24, 2), std::make_pair(tokyo.hour, tokyo.weekday));
}

TEST(SystemClock, OneClockInSecondsAndMillisecondsThatSleepsAtLeastAsAsked)
{
    SystemClock clock;
    const std::int64_t before = std::time(nullptr), now = clock.now();
    EXPECT_TRUE(now >= before && now - before <= 5 && clock.nowMs() / 1000 >= before) << now;
    // Across a turn of the second, seconds never lag milliseconds read before them.
    const auto start = std::chrono::steady_clock::now();
    int behind = 0;
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(1100)) {
        const std::int64_t ms = clock.nowMs();
        behind += clock.now() < ms / 1000;
    }
    EXPECT_EQ(behind, 0);
    const auto slept = std::chrono::steady_clock::now();
    clock.sleepMs(30);
    EXPECT_GE(std::chrono::steady_clock::now() - slept, std::chrono::milliseconds(30));
}

TEST(FlockInstanceLock, OneHolderAtATimeUntilItLetsGoOrDiesAndNotTheProgramsItStarts)
{
    EXPECT_EQ("wexhal_telmaq_Instance.lock", FlockInstanceLock::fileNameFor("wexhal/telmaq Instance"));
    EXPECT_EQ("lock.._.._x.lock|lock.lock",
              FlockInstanceLock::fileNameFor("../../x") + "|" + FlockInstanceLock::fileNameFor(""));
    test::TempEnvironment env;
    const std::string dir = env.runtimeDir();
    std::optional<FlockInstanceLock> first(dir);
    ASSERT_EQ(Result::Acquired, first->acquire());
    EXPECT_EQ(Result::Acquired, first->acquire()) << "asking again keeps the guard";
    EXPECT_EQ(0600u, test::modeOf(dir + "/wexhal_telmaq_Instance.lock"));
    EXPECT_EQ(Result::HeldByAnother, FlockInstanceLock(dir).acquire());
    EXPECT_EQ(Result::Acquired, FlockInstanceLock(dir, "someone else").acquire());
    // A program we start that outlives telmaq must not keep the next copy out.
    // posix_spawn returns once the program runs in place of the child.
    pid_t program = 0;
    char* const words[] = {const_cast<char*>("sleep"), const_cast<char*>("60"), nullptr};
    ASSERT_EQ(0, ::posix_spawn(&program, "/bin/sleep", nullptr, nullptr, words, environ));
    first.reset();
    EXPECT_EQ(Result::Acquired, FlockInstanceLock(dir).acquire());
    ::kill(program, SIGKILL);
    ::waitpid(program, nullptr, 0);
    // Nor does a holder that was killed.
    int ready[2];
    char byte = 0;
    ASSERT_EQ(0, ::pipe(ready));
    const pid_t holder = ::fork();
    if (holder == 0) {
        FlockInstanceLock lock(dir);
        if (lock.acquire() == Result::Acquired && ::write(ready[1], "y", 1) == 1)
            ::pause();
        ::_exit(1);
    }
    ASSERT_EQ(1, ::read(ready[0], &byte, 1));
    FlockInstanceLock second(dir);
    EXPECT_EQ(Result::HeldByAnother, second.acquire());
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_EQ(Result::Acquired, second.acquire());
    EXPECT_EQ(Result::Unavailable, FlockInstanceLock((env.dir() / "missing" / "folder").string()).acquire());
}

TEST(FlockInstanceLock, OnlyAPrivateFolderOfOurOwnHoldsTheGuard)
{
    test::TempEnvironment env;
    const std::string base = env.dir().string();
    ASSERT_EQ(0, ::mkdir((base + "/open").c_str(), 0700) + ::chmod((base + "/open").c_str(), 0777));
    test::writeFile(base + "/open/wexhal_telmaq_Instance.lock", "");
    ASSERT_EQ(0, ::mkdir((base + "/private").c_str(), 0700));
    ASSERT_EQ(0, ::symlink((base + "/private").c_str(), (base + "/link").c_str()));
    test::writeFile(base + "/file", "");
    for (const char* name : {"/missing", "/private", "/open", "/link", "/file", "relative"}) {
        const bool usable = name == std::string("/missing") || name == std::string("/private");
        const std::string path = name[0] == '/' ? base + name : name;
        EXPECT_EQ(usable ? path : std::string(), privateFolder(path));
        EXPECT_EQ(usable ? 0700u : 0u, usable ? test::modeOf(path) : 0u) << path;
        // Another copy seen where there is none would keep telmaq from starting at all.
        EXPECT_EQ(usable ? Result::Acquired : Result::Unavailable, FlockInstanceLock(privateFolder(path)).acquire());
    }
    EXPECT_NE(0, ::access("relative", F_OK));
    ::setenv("XDG_RUNTIME_DIR", "relative", 1);
    EXPECT_EQ("", runtimeDirectory());
}

namespace fs = std::filesystem;
using Words = std::vector<std::string>;

Words split(const std::string& line)
{
    const CommandLineWords result = splitCommandLine(line);
    EXPECT_TRUE(result.ok) << line << ": " << result.error;
    return result.words;
}

TEST(CommandLineTest, SplitsLikeAShellWithoutExpanding)
{
    const std::pair<const char*, Words> cases[] = {
        {"  prog \t a   b\n", {"prog", "a", "b"}},
        {" \t ", {}},
        {"echo $HOME *.txt ~ a|b;c >x", {"echo", "$HOME", "*.txt", "~", "a|b;c", ">x"}},
        {"'/opt/My Apps/run' 'a \"b\" \\c'", {"/opt/My Apps/run", "a \"b\" \\c"}},
        {"\"say \\\"hi\\\"\" \"back\\\\slash\" \"keep\\n\" \"\\$5 \\`x\\`\"",
         {"say \"hi\"", "back\\slash", "keep\\n", "$5 `x`"}},
        {"a\\ b c\\\"d \\'e", {"a b", "c\"d", "'e"}},
        {"pre\"mid\"'post' '' \"\"", {"premidpost", "", ""}},      // empty quotes are a word of their own
        {"one\\\ntwo \"three\\\nfour\"", {"onetwo", "threefour"}}, // a backslash before a line break joins
        {"メール 'ｱﾌﾟﾘ 起動'", {"メール", "ｱﾌﾟﾘ 起動"}},
    };
    for (const auto& [line, words] : cases)
        EXPECT_EQ(split(line), words) << line;
    for (const char* line : {"prog 'open", "prog \"open", "prog \"esc\\\"", "prog trailing\\"}) {
        const CommandLineWords result = splitCommandLine(line);
        EXPECT_TRUE(!result.ok && !result.error.empty()) << line;
    }
}

TEST(CommandLineTest, QuotedPathsSplitBackIntoThemselves)
{
    EXPECT_EQ(quoteCommandWord("/usr/bin/メール"), "/usr/bin/メール");
    EXPECT_EQ(quoteCommandWord("/opt/My Apps/tool"), "'/opt/My Apps/tool'");
    for (const char* path : {"/o'clock/run", "C:\\dir\\a b", "say \"hi\"", "tab\there", "", "'", "$HOME/`x`", "/a/b\n"})
        EXPECT_EQ(split(quoteCommandWord(path)), Words{path}) << path;
}

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
