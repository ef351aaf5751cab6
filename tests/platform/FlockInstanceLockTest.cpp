#include "platform/system/FlockInstanceLock.h"
#include "platform/system/UserPaths.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace telmaq {
namespace {

using Result = IInstanceLock::Result;

Result acquireInChild(const std::string& directory)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(static_cast<int>(FlockInstanceLock(directory).acquire()));
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return Result::Unavailable;
    return static_cast<Result>(WEXITSTATUS(status));
}

// A child that takes the guard and keeps it until killed; -1 if it could not take it.
pid_t holdInChild(const std::string& directory)
{
    int ready[2];
    if (::pipe(ready) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        FlockInstanceLock lock(directory);
        if (lock.acquire() == Result::Acquired && ::write(ready[1], "r", 1) == 1)
            ::pause();
        ::_exit(1);
    }
    ::close(ready[1]);
    char byte = 0;
    const bool held = ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);
    return held ? child : -1;
}

void kill(pid_t child)
{
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}

TEST(FlockInstanceLock, TheGuardIsOnePrivateFileNamedSafely)
{
    EXPECT_EQ("wexhal_telmaq_Instance.lock", FlockInstanceLock::fileNameFor("wexhal/telmaq Instance"));
    EXPECT_EQ("lock.._.._x.lock", FlockInstanceLock::fileNameFor("../../x"));
    EXPECT_EQ("lock.lock", FlockInstanceLock::fileNameFor(""));
    test::TempEnvironment env;
    FlockInstanceLock lock(env.runtimeDir());
    ASSERT_EQ(Result::Acquired, lock.acquire());
    struct stat info{};
    ASSERT_EQ(0, ::stat((env.runtimeDir() + "/wexhal_telmaq_Instance.lock").c_str(), &info));
    EXPECT_EQ(0600u, info.st_mode & 0777);
    EXPECT_EQ(Result::Unavailable, FlockInstanceLock((env.dir() / "missing" / "folder").string()).acquire());
}

TEST(FlockInstanceLock, AHolderKeepsOthersOutUntilItLetsGoOrDies)
{
    test::TempEnvironment env;
    pid_t program = -1;
    {
        FlockInstanceLock first(env.runtimeDir());
        ASSERT_EQ(Result::Acquired, first.acquire());
        EXPECT_EQ(Result::Acquired, first.acquire()) << "asking again keeps the guard";
        EXPECT_EQ(Result::HeldByAnother, acquireInChild(env.runtimeDir()));
        EXPECT_EQ(Result::Acquired, FlockInstanceLock(env.runtimeDir(), "someone else").acquire());
        // A program we start that outlives telmaq must not keep the next copy out.
        int execed[2];
        ASSERT_EQ(0, ::pipe2(execed, O_CLOEXEC));
        if ((program = ::fork()) == 0) {
            ::execl("/bin/sleep", "sleep", "60", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(execed[1]);
        char byte;
        EXPECT_EQ(0, ::read(execed[0], &byte, 1)) << "the pipe closes at the exec";
        ::close(execed[0]);
    }
    EXPECT_EQ(Result::Acquired, acquireInChild(env.runtimeDir()));
    kill(program);
    const pid_t owner = holdInChild(env.runtimeDir());
    ASSERT_GT(owner, 0);
    FlockInstanceLock second(env.runtimeDir());
    EXPECT_EQ(Result::HeldByAnother, second.acquire());
    kill(owner);
    EXPECT_EQ(Result::Acquired, second.acquire());
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
    for (const char* name : {"/missing", "/private", "/open", "/link", "/file", "relative"}) {
        const bool usable = name == std::string("/missing") || name == std::string("/private");
        const std::string path = name[0] == '/' ? base + name : name;
        SCOPED_TRACE(path);
        const std::string folder = privateFolder(path);
        EXPECT_EQ(usable ? path : std::string(), folder);
        struct stat info{};
        EXPECT_TRUE(!usable || (::lstat(path.c_str(), &info) == 0 && (info.st_mode & 0777) == 0700));
        // Another copy seen where there is none would keep telmaq from starting at all.
        EXPECT_EQ(usable ? Result::Acquired : Result::Unavailable, FlockInstanceLock(folder).acquire());
    }
    EXPECT_NE(0, ::access("relative", F_OK));
    ::setenv("XDG_RUNTIME_DIR", "relative", 1);
    EXPECT_EQ("", runtimeDirectory());
}

} // namespace
} // namespace telmaq
