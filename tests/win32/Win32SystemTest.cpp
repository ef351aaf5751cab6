#include "platform/win32/MutexInstanceLock.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32ProcessLauncher.h"
#include "platform/win32/Win32UserFolders.h"

#include "Win32TestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace telmaq {
namespace {

using test::runAndWait;
using test::testProgramFolder;

std::string peer()
{
    return "\"" + testProgramFolder() + "\\telmaq_win32_peer.exe\"";
}

// Polls hasEnded as the tick does; false when the process is still running after a minute.
bool endsWithin(IProcessLauncher& launcher, ProcessHandle process)
{
    for (int i = 0; i < 1200; ++i) {
        if (launcher.hasEnded(process))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

TEST(Win32Manifest, TextsAreUtf8ForTheSystemsACalls)
{
    EXPECT_EQ(GetACP(), 65001u);
}

TEST(MutexInstanceLock, OneCopyAtATimeAcrossProcessesAndAKilledHolderKeepsNobodyOut)
{
    Win32ProcessLauncher launcher;
    {
        MutexInstanceLock first;
        ASSERT_EQ(first.acquire(), IInstanceLock::Result::Acquired);
        EXPECT_EQ(MutexInstanceLock().acquire(), IInstanceLock::Result::HeldByAnother);
        EXPECT_EQ(runAndWait(peer() + " lock"), 1);
    }
    EXPECT_EQ(runAndWait(peer() + " lock"), 0);

    // A copy that holds the mutex and is killed lets the next one run.
    const ProcessHandle holder = launcher.start(peer() + " lock 60000", nullptr);
    ASSERT_NE(holder, kNoProcess);
    // Waiting must not create the mutex: a copy that made it for a moment would send the
    // holder away as a second copy.
    bool held = false;
    for (int i = 0; i < 1200 && !held; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (HANDLE found = OpenMutexA(SYNCHRONIZE, FALSE, MutexInstanceLock::kInstanceName)) {
            CloseHandle(found);
            held = true;
        }
    }
    EXPECT_TRUE(held);
    MutexInstanceLock second;
    EXPECT_EQ(second.acquire(), IInstanceLock::Result::HeldByAnother);
    TerminateProcess(reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(holder)), 9);
    EXPECT_TRUE(endsWithin(launcher, holder));
    launcher.close(holder);
    EXPECT_EQ(second.acquire(), IInstanceLock::Result::Acquired);
}

TEST(Win32ProcessLauncher, StartsTheCommandLineAsItStandsAndSeesItEnd)
{
    Win32ProcessLauncher launcher;
    const ProcessHandle sleeper = launcher.start(peer() + " sleep 1500", nullptr);
    ASSERT_NE(sleeper, kNoProcess);
    EXPECT_FALSE(launcher.hasEnded(sleeper));
    EXPECT_TRUE(endsWithin(launcher, sleeper));
    launcher.close(sleeper);

    std::string error;
    EXPECT_EQ(launcher.start("no-such-program.exe", &error), kNoProcess);
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(launcher.hasEnded(kNoProcess));
}

TEST(Win32Clock, BreaksTimeDownInTheSystemsZone)
{
    // ctest runs this in Japan's time zone, nine hours ahead and without summer time.
    Win32Clock clock;
    const LocalTime epoch = clock.localTime(0);
    EXPECT_EQ(std::make_tuple(epoch.hour, epoch.minute, epoch.second, epoch.weekday), std::make_tuple(9, 0, 0, 4));
    const LocalTime later = clock.localTime(1700000000); // 2023-11-14 22:13:20 UTC, a Tuesday
    EXPECT_EQ(std::make_tuple(later.hour, later.minute, later.second, later.weekday), std::make_tuple(7, 13, 20, 3));
    EXPECT_EQ(clock.localTime(-20000000000LL).hour, -1);

    const auto system =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    EXPECT_LT(std::abs(clock.nowMs() - system), 2000);
    EXPECT_LE(clock.now() - clock.nowMs() / 1000, 1);
}

TEST(Win32UserFolders, ProgramFolderAndTheUsersOwnDataFolder)
{
    EXPECT_EQ(programFolder(), testProgramFolder());
    const std::filesystem::path base =
        std::filesystem::temp_directory_path() / ("telmaq-folders-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(base);
    SetEnvironmentVariableA("LOCALAPPDATA", base.string().c_str());
    EXPECT_EQ(localDataFolder(), base.string() + "\\telmaq");
    EXPECT_TRUE(std::filesystem::is_directory(base / "telmaq"));
    std::filesystem::remove_all(base);
}

} // namespace
} // namespace telmaq
