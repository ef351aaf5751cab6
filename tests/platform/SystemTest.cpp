#include "platform/system/FlockInstanceLock.h"
#include "platform/system/SystemClock.h"
#include "platform/system/UserPaths.h"

#include "HiveTestSupport.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <tuple>
#include <sys/wait.h>
#include <unistd.h>

namespace telmaq {
namespace {

using Result = IInstanceLock::Result;

LocalTime inZone(const char* zone, std::int64_t at)
{
    ::setenv("TZ", zone, 1);
    ::tzset();
    const LocalTime t = SystemClock().localTime(at);
    ::unsetenv("TZ");
    ::tzset();
    return t;
}

TEST(SystemClock, BreaksTimeDownInTheLocalZone)
{
    const std::int64_t monday = 1'699'860'605; // 2023-11-13 07:30:05 UTC
    const LocalTime t = inZone("UTC0", monday);
    EXPECT_EQ(std::make_tuple(7, 30, 5), std::make_tuple(t.hour, t.minute, t.second));
    for (int day = 0; day < 7; ++day)
        EXPECT_EQ((1 + day) % 7, inZone("UTC0", monday + day * 86400).weekday) << day;
    // Nine hours ahead, seventeen hours on is already Tuesday.
    const LocalTime tokyo = inZone("JST-9", monday + 17 * 3600);
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
    int ready[2];
    ASSERT_EQ(0, ::pipe2(ready, O_CLOEXEC));
    const pid_t program = ::fork();
    if (program == 0) {
        ::execl("/bin/sleep", "sleep", "60", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(ready[1]);
    char byte = 0;
    EXPECT_EQ(0, ::read(ready[0], &byte, 1)) << "the pipe closes at the exec";
    ::close(ready[0]);
    first.reset();
    EXPECT_EQ(Result::Acquired, FlockInstanceLock(dir).acquire());
    ::kill(program, SIGKILL);
    ::waitpid(program, nullptr, 0);
    // Nor does a holder that was killed.
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

} // namespace
} // namespace telmaq
