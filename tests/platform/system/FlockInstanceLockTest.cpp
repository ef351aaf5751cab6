#include "platform/system/FlockInstanceLock.h"
#include "platform/system/UserPaths.h"

#include "platform/HiveTestSupport.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace telmaq {
namespace {

using Result = IInstanceLock::Result;

TEST(FlockInstanceLock, TheFileIsNamedAfterTheGuardWithoutLeavingItsFolder)
{
    EXPECT_EQ(FlockInstanceLock::fileNameFor("wexhal/telmaq Instance"), "wexhal_telmaq_Instance.lock");
    EXPECT_EQ(FlockInstanceLock::fileNameFor("../../x"), "lock.._.._x.lock");
    EXPECT_EQ(FlockInstanceLock::fileNameFor(""), "lock.lock");
}

TEST(FlockInstanceLock, OneHolderAtATime)
{
    test::TempEnvironment env;
    const std::string dir = env.runtimeDir();
    FlockInstanceLock first(dir);
    ASSERT_EQ(Result::Acquired, first.acquire());
    EXPECT_EQ(Result::Acquired, first.acquire()) << "asking again keeps the guard";
    EXPECT_EQ(0600u, test::modeOf(dir + "/wexhal_telmaq_Instance.lock"));
    EXPECT_EQ(Result::HeldByAnother, FlockInstanceLock(dir).acquire());
    EXPECT_EQ(Result::Acquired, FlockInstanceLock(dir, "someone else").acquire());
    EXPECT_EQ(Result::Unavailable, FlockInstanceLock((env.dir() / "missing" / "folder").string()).acquire());
}

// A program we start that outlives telmaq must not keep the next copy out.
TEST(FlockInstanceLock, AProgramTheHolderStartedDoesNotHoldTheGuard)
{
    test::TempEnvironment env;
    const std::string dir = env.runtimeDir();
    std::optional<FlockInstanceLock> first(dir);
    ASSERT_EQ(Result::Acquired, first->acquire());
    // posix_spawn returns once the program runs in place of the child.
    pid_t program = 0;
    char* const words[] = {const_cast<char*>("sleep"), const_cast<char*>("60"), nullptr};
    ASSERT_EQ(0, ::posix_spawn(&program, "/bin/sleep", nullptr, nullptr, words, environ));
    first.reset();
    EXPECT_EQ(Result::Acquired, FlockInstanceLock(dir).acquire());
    ::kill(program, SIGKILL);
    ::waitpid(program, nullptr, 0);
}

TEST(FlockInstanceLock, AKilledHolderKeepsNobodyOut)
{
    test::TempEnvironment env;
    const std::string dir = env.runtimeDir();
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
