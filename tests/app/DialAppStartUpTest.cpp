// Start-up and shutdown over fakes: the single-copy guard, the checks of dial-up networking,
// loading before the run and saving after it, and nothing in the hive when start-up stops.
#include "app/DialApp.h"
#include "app/LazyDialupService.h"
#include "dialup/DialupLists.h"
#include "dialup/RasErrorText.h"
#include "dialup/SystemDialupSettings.h"
#include "fakes/FakeDialupService.h"
#include "fakes/FakeInstanceLock.h"
#include "fakes/MessageBoxRecorder.h"
#include "platform/registry/SqliteHive.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace telmaq::test {
namespace {

const char kNoDialup[] = "ダイヤルアップネットワークの設定がありません";

// Start-up's main windows: records what start-up gave them and lets the test act as the user
// during the run.
class FakeMainWindowFactory : public IMainWindowFactory
{
public:
    std::unique_ptr<IMainWindow> createMainWindow(CDialApp&) override
    {
        ++made;
        return std::make_unique<Window>(*this);
    }

    std::function<void(DialDlgState&)> user;
    int made = 0;
    int runs = 0;
    DialDlgState seenAtRun;

private:
    class Window : public IMainWindow
    {
    public:
        explicit Window(FakeMainWindowFactory& factory) : m_factory(factory) {}
        DialDlgState& state() override { return m_state; }
        void runModal() override
        {
            ++m_factory.runs;
            m_factory.seenAtRun = m_state;
            if (m_factory.user)
                m_factory.user(m_state);
        }

    private:
        FakeMainWindowFactory& m_factory;
        DialDlgState m_state;
    };
};

class StartUp : public ::testing::Test
{
protected:
    void setProfile(const std::string& name)
    {
        HKEY key = 0;
        ASSERT_EQ(hive.createKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
        const std::string bytes = name + '\0';
        hive.setValue(key, "InternetProfile", REG_SZ, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                      static_cast<std::uint32_t>(bytes.size()));
        hive.closeKey(key);
    }

    bool keyExists(const char* path)
    {
        HKEY key = 0;
        if (hive.openKey(HKEY_CURRENT_USER, path, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        hive.closeKey(key);
        return true;
    }

    std::uint32_t storedDword(const char* name, std::uint32_t fallback = 0xDEADBEEF)
    {
        HKEY key = 0;
        if (hive.openKey(HKEY_CURRENT_USER, "Software\\wexhal\\telmaq\\Settings", KEY_READ, &key) != ERROR_SUCCESS)
            return fallback;
        std::uint32_t value = 0;
        std::uint32_t size = sizeof value;
        const long rc = hive.queryValue(key, name, nullptr, reinterpret_cast<std::uint8_t*>(&value), &size);
        hive.closeKey(key);
        return rc == ERROR_SUCCESS ? value : fallback;
    }

    bool runStartUp()
    {
        CDialApp app(hive, StartUpPorts{lock, lists, errorText, settings, boxes, windows});
        const bool result = app.StartUp();
        exitCode = app.ShutDown();
        return result;
    }

    TempEnvironment env;
    SqliteHive hive{env.hivePath()};
    FakeDialupService service;
    DialupLists lists{service};
    RasErrorText errorText{service};
    SystemDialupSettings settings{hive};
    FakeInstanceLock lock;
    MessageBoxRecorder boxes;
    FakeMainWindowFactory windows;
    int exitCode = -1;
};

// ---- the single-copy guard

TEST_F(StartUp, ASecondCopyEndsAtOnceTouchingNothing)
{
    lock.setAnswer(IInstanceLock::Result::HeldByAnother);
    service.addEntry("A");
    setProfile("A");
    const auto hiveBefore = std::filesystem::last_write_time(env.hivePath());

    EXPECT_FALSE(runStartUp());
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(service.totalCalls(), 0);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(windows.made, 0);
    EXPECT_FALSE(keyExists("Software\\wexhal"));
    EXPECT_EQ(std::filesystem::last_write_time(env.hivePath()), hiveBefore);
}

TEST_F(StartUp, ASecondCopyOnAFreshProfileCreatesNoHive)
{
    lock.setAnswer(IInstanceLock::Result::HeldByAnother);
    EXPECT_FALSE(runStartUp());
    EXPECT_FALSE(std::filesystem::exists(env.hivePath()));
}

TEST_F(StartUp, WithoutAGuardTheProgramStillRuns)
{
    lock.setAnswer(IInstanceLock::Result::Unavailable);
    service.addEntry("A");
    setProfile("A");
    EXPECT_FALSE(runStartUp());
    EXPECT_EQ(windows.runs, 1);
    EXPECT_EQ(lock.calls(), 1);
}

TEST(LazyDialupServiceTest, TheServiceOpensAtItsFirstUseAndOnlyOnce)
{
    int opened = 0;
    LazyDialupService lazy([&opened] {
        ++opened;
        auto service = std::make_unique<FakeDialupService>();
        service->addEntry("A");
        return service;
    });
    DialupLists lists(lazy);
    EXPECT_EQ(opened, 0);
    EXPECT_FALSE(lazy.isOpen());

    EXPECT_EQ(lists.EnumEntries(), 0u);
    EXPECT_EQ(lists.EnumConnections(), 0u);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(lists.entryCount(), 1);
}

TEST_F(StartUp, ASecondCopyNeverOpensTheDialupService)
{
    lock.setAnswer(IInstanceLock::Result::HeldByAnother);
    int opened = 0;
    LazyDialupService lazy([&opened] {
        ++opened;
        return std::make_unique<FakeDialupService>();
    });
    DialupLists lazyLists(lazy);
    RasErrorText lazyText(lazy);
    CDialApp app(hive, StartUpPorts{lock, lazyLists, lazyText, settings, boxes, windows});
    EXPECT_FALSE(app.StartUp());
    EXPECT_EQ(opened, 0);
}

// ---- the checks of dial-up networking

TEST_F(StartUp, AnEmptyPhonebookGivesTheMessageAndNoWindow)
{
    EXPECT_FALSE(runStartUp());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, kNoDialup);
    EXPECT_EQ(boxes.shown[0].title, "telmaq");
    EXPECT_EQ(boxes.shown[0].style, 0x30u);
    EXPECT_EQ(boxes.shown[0].owner, nullptr);
    EXPECT_EQ(windows.made, 0);
    EXPECT_FALSE(std::filesystem::exists(env.hivePath()));
}

TEST_F(StartUp, AListingFailureShowsTheTextForItsCode)
{
    service.addEntry("A");
    service.failNextEnumEntries(ERROR_HARDWARE_FAILURE);
    EXPECT_FALSE(runStartUp());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, errorText.GetRasErrorText(ERROR_HARDWARE_FAILURE));
    EXPECT_FALSE(boxes.shown[0].text.empty());
    EXPECT_EQ(windows.made, 0);
}

TEST_F(StartUp, AListingFailureWithoutATextOfOurOwnShowsTheServicesText)
{
    service.addEntry("A");
    service.setErrorString(799, "the service's own words");
    service.failNextEnumEntries(799);
    EXPECT_FALSE(runStartUp());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "the service's own words");
}

TEST_F(StartUp, NoDefaultEntryGivesTheMessageAndTheWindowNeverRuns)
{
    service.addEntry("A");
    EXPECT_FALSE(runStartUp());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, kNoDialup);
    EXPECT_EQ(windows.runs, 0);
    EXPECT_FALSE(keyExists("Software\\wexhal"));
}

TEST_F(StartUp, AnEmptyDefaultEntryCountsAsNone)
{
    service.addEntry("A");
    setProfile("");
    EXPECT_FALSE(runStartUp());
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{kNoDialup});
    EXPECT_EQ(windows.runs, 0);
    EXPECT_FALSE(keyExists("Software\\wexhal"));
}

TEST_F(StartUp, ADefaultEntryNotInThePhonebookIsLeftToTheWindow)
{
    service.addEntry("A");
    setProfile("Elsewhere");
    EXPECT_FALSE(runStartUp());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(windows.runs, 1);
    EXPECT_EQ(windows.seenAtRun.m_strEntry, "Elsewhere");
}

// ---- loading, the run, saving

TEST_F(StartUp, SettingsAreLoadedBeforeTheRunAndChangesSavedAfterIt)
{
    service.addEntry("A");
    setProfile("A");
    {
        HKEY key = 0;
        ASSERT_EQ(hive.createKey(HKEY_CURRENT_USER, "Software\\wexhal\\telmaq\\Settings", KEY_ALL_ACCESS, &key),
                  ERROR_SUCCESS);
        const std::uint32_t hour = 7;
        hive.setValue(key, "ConnectionHour", REG_DWORD, reinterpret_cast<const std::uint8_t*>(&hour), 4);
        hive.closeKey(key);
    }
    windows.user = [](DialDlgState& s) { s.m_bAutoConnection = true; };

    EXPECT_FALSE(runStartUp());
    EXPECT_EQ(windows.runs, 1);
    EXPECT_EQ(windows.seenAtRun.m_nConnectHour, 7);
    EXPECT_TRUE(windows.seenAtRun.m_bCheckMon);
    EXPECT_EQ(windows.seenAtRun.m_strEntry, "A");
    EXPECT_EQ(storedDword("AutoConnection"), 1u);
    EXPECT_EQ(storedDword("CheckMon"), 0xDEADBEEFu) << "an unchanged setting is not written";
}

TEST_F(StartUp, ARunWithoutChangesWritesNothing)
{
    service.addEntry("A");
    setProfile("A");
    EXPECT_FALSE(runStartUp());
    EXPECT_EQ(windows.runs, 1);
    for (const char* name : {"AutoConnection", "CheckSun", "ConnectionHour", "Iconic", "WindowLeft", "WindowTop"})
        EXPECT_EQ(storedDword(name), 0xDEADBEEFu) << name;
}

TEST_F(StartUp, AMovedWindowWritesBothPositions)
{
    service.addEntry("A");
    setProfile("A");
    windows.user = [](DialDlgState& s) {
        s.m_nWindowLeft = 40;
        s.m_bMoved = true;
    };
    EXPECT_FALSE(runStartUp());
    EXPECT_EQ(storedDword("WindowLeft"), 40u);
    EXPECT_EQ(storedDword("WindowTop"), 0u);
}

} // namespace
} // namespace telmaq::test
