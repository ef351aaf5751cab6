#include "platform/system/FlockInstanceLock.h"
#include "platform/system/UserPaths.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <optional>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace telmaq {
namespace {

using Result = IInstanceLock::Result;

// Runs acquire() in a child process and answers what it got.
Result acquireInChild(const std::string& directory)
{
    const pid_t child = ::fork();
    if (child == 0) {
        FlockInstanceLock lock(directory);
        ::_exit(static_cast<int>(lock.acquire()));
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return Result::Unavailable;
    return static_cast<Result>(WEXITSTATUS(status));
}

TEST(FlockInstanceLock, TheGuardsNameBecomesOneSafeFileName)
{
    EXPECT_EQ("wexhal_telmaq_Instance.lock", FlockInstanceLock::fileNameFor("wexhal/telmaq Instance"));
    EXPECT_EQ("lock.._.._x.lock", FlockInstanceLock::fileNameFor("../../x"));
    EXPECT_EQ("lock.lock", FlockInstanceLock::fileNameFor(""));
    test::TempEnvironment env;
    FlockInstanceLock lock(env.runtimeDir());
    EXPECT_EQ(env.runtimeDir() + "/wexhal_telmaq_Instance.lock", lock.path());
    ASSERT_EQ(Result::Acquired, lock.acquire());
    struct stat info;
    ASSERT_EQ(0, ::stat(lock.path().c_str(), &info));
    EXPECT_EQ(0600u, info.st_mode & 0777);
}

TEST(FlockInstanceLock, ASecondProcessIsRefusedUntilTheFirstLetsGo)
{
    test::TempEnvironment env;
    {
        FlockInstanceLock first(env.runtimeDir());
        ASSERT_EQ(Result::Acquired, first.acquire());
        EXPECT_EQ(Result::Acquired, first.acquire()) << "asking again keeps the guard";
        EXPECT_EQ(Result::HeldByAnother, acquireInChild(env.runtimeDir()));
        // Another name is another guard.
        FlockInstanceLock other(env.runtimeDir(), "someone else");
        EXPECT_EQ(Result::Acquired, other.acquire());
    }
    EXPECT_EQ(Result::Acquired, acquireInChild(env.runtimeDir()));
}

TEST(FlockInstanceLock, AKilledHolderFreesTheGuard)
{
    test::TempEnvironment env;
    int ready[2];
    ASSERT_EQ(0, ::pipe(ready));
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        ::close(ready[0]);
        FlockInstanceLock lock(env.runtimeDir());
        const char answer = lock.acquire() == Result::Acquired ? 'y' : 'n';
        if (::write(ready[1], &answer, 1) != 1)
            ::_exit(1);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    char answer = 0;
    ASSERT_EQ(1, ::read(ready[0], &answer, 1));
    ::close(ready[0]);
    ASSERT_EQ('y', answer);

    FlockInstanceLock second(env.runtimeDir());
    EXPECT_EQ(Result::HeldByAnother, second.acquire());

    ASSERT_EQ(0, ::kill(holder, SIGKILL));
    int status = 0;
    ASSERT_EQ(holder, ::waitpid(holder, &status, 0));
    EXPECT_EQ(Result::Acquired, second.acquire());
}

TEST(FlockInstanceLock, AFolderThatCannotHoldTheFileLeavesTheGuardUnavailable)
{
    test::TempEnvironment env;
    FlockInstanceLock lock((env.dir() / "missing" / "folder").string());
    EXPECT_EQ(Result::Unavailable, lock.acquire());
}

TEST(FlockInstanceLock, OnlyAPrivateFolderOfOurOwnHoldsTheGuard)
{
    test::TempEnvironment env;
    const std::string base = env.dir().string();
    ASSERT_EQ(0, ::mkdir((base + "/open").c_str(), 0700));
    ASSERT_EQ(0, ::chmod((base + "/open").c_str(), 0777));
    ASSERT_EQ(0, ::close(::open((base + "/open/wexhal_telmaq_Instance.lock").c_str(), O_CREAT | O_RDWR, 0666)));
    ASSERT_EQ(0, ::mkdir((base + "/private").c_str(), 0700));
    ASSERT_EQ(0, ::symlink((base + "/private").c_str(), (base + "/link").c_str()));
    ASSERT_EQ(0, ::close(::open((base + "/file").c_str(), O_CREAT | O_RDWR, 0600)));
    const struct
    {
        std::string path;
        bool usable;
    } cases[] = {
        {base + "/missing", true}, {base + "/private", true}, {base + "/open", false},
        {base + "/link", false},   {base + "/file", false},   {"relative", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const std::string folder = privateFolder(c.path);
        EXPECT_EQ(c.usable ? c.path : std::string(), folder);
        struct stat info;
        if (c.usable) {
            EXPECT_TRUE(::lstat(c.path.c_str(), &info) == 0 && (info.st_mode & 0777) == 0700);
        }
        // Another copy seen where there is none would keep telmaq from starting at all.
        FlockInstanceLock lock(folder);
        EXPECT_EQ(c.usable ? Result::Acquired : Result::Unavailable, lock.acquire());
    }
    EXPECT_EQ(0, ::access((base + "/private/wexhal_telmaq_Instance.lock").c_str(), F_OK));
    EXPECT_NE(0, ::access("relative", F_OK));
    ::setenv("XDG_RUNTIME_DIR", "relative", 1);
    EXPECT_EQ("", runtimeDirectory());
}

TEST(FlockInstanceLock, TheGuardIsNotHandedToProgramsWeStart)
{
    test::TempEnvironment env;
    std::optional<FlockInstanceLock> lock;
    lock.emplace(env.runtimeDir());
    ASSERT_EQ(Result::Acquired, lock->acquire());
    // The pipe's write end closes when the child's exec has happened, and with it everything
    // else marked close-on-exec.
    int execed[2];
    ASSERT_EQ(0, ::pipe2(execed, O_CLOEXEC));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::execl("/bin/sleep", "sleep", "60", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(execed[1]);
    char byte;
    EXPECT_EQ(0, ::read(execed[0], &byte, 1));
    ::close(execed[0]);

    // A launched program that outlives telmaq must not keep the next copy out.
    lock.reset();
    EXPECT_EQ(Result::Acquired, acquireInChild(env.runtimeDir()));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}

} // namespace
} // namespace telmaq
