#include "app/DialApp.h"
#include "dialup/DialupLists.h"
#include "dialup/RasErrorText.h"
#include "dialup/SystemDialupSettings.h"
#include "fakes/MessageBoxRecorder.h"
#include "platform/win32/MutexInstanceLock.h"
#include "platform/win32/RasDialupService.h"
#include "platform/win32/Win32Registry.h"

#include "SimulatedPhonebook.h"

#include <optional>

namespace telmaq::test {
namespace {

constexpr const char* kGuard = "telmaq-tests Instance";

// Start-up as the Windows program will run it: the real registry, the Remote Access Service
// and a named mutex, with a main window that notes what it was given and turns the schedule on.
struct WindowsStartUp : IMainWindowFactory
{
    struct Window : IMainWindow
    {
        WindowsStartUp& s;
        explicit Window(WindowsStartUp& startUp) : s(startUp) {}
        DialDlgState& state() override { return s.dlg; }
        void runModal() override { s.seenAtRun = s.dlg, s.dlg.m_bAutoConnection = true; }
    };
    std::unique_ptr<IMainWindow> createMainWindow(CDialApp&) override { return std::make_unique<Window>(*this); }

    void run()
    {
        CDialApp app(registry, StartUpPorts{lock, lists, errorText, settings, boxes, *this});
        EXPECT_FALSE(app.StartUp());
        EXPECT_EQ(app.ShutDown(), 0);
    }
    ~WindowsStartUp() override
    {
        registry.deleteKey(HKEY_CURRENT_USER, "Software\\wexhal");
        registry.deleteKey(HKEY_CURRENT_USER, "RemoteAccess");
    }

    Win32Registry registry;
    RasDialupService service;
    DialupLists lists{service};
    RasErrorText errorText{service};
    SystemDialupSettings settings{registry};
    MutexInstanceLock lock{kGuard};
    MessageBoxRecorder boxes;
    DialDlgState dlg;
    std::optional<DialDlgState> seenAtRun;
};

std::uint32_t readDword(IRegistry& registry, const char* path, const char* name)
{
    HKEY key = 0;
    std::uint32_t value = 0, size = 4;
    if (registry.openKey(HKEY_CURRENT_USER, path, KEY_READ, &key) == ERROR_SUCCESS) {
        registry.queryValue(key, name, nullptr, reinterpret_cast<std::uint8_t*>(&value), &size);
        registry.closeKey(key);
    }
    return value;
}

void writeValue(IRegistry& registry, const char* path, const char* name, std::uint32_t type, const void* data,
                std::uint32_t size)
{
    HKEY key = 0;
    ASSERT_EQ(registry.createKey(HKEY_CURRENT_USER, path, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    registry.setValue(key, name, type, static_cast<const std::uint8_t*>(data), size);
    registry.closeKey(key);
}

TEST(Win32StartUp, RunsOnTheSystemsServicesLoadsAndSavesInTheRealRegistry)
{
    SimulatedPhonebook phonebook({simEntry("会社")});
    WindowsStartUp s;
    const std::uint32_t hour = 7;
    writeValue(s.registry, "RemoteAccess", "InternetProfile", REG_SZ, "会社", sizeof "会社");
    writeValue(s.registry, "Software\\wexhal\\telmaq\\Settings", "ConnectionHour", REG_DWORD, &hour, 4);
    s.run();
    ASSERT_TRUE(s.seenAtRun);
    EXPECT_EQ(s.seenAtRun->m_nConnectHour, 7);
    EXPECT_EQ(s.seenAtRun->m_strEntry, "会社");
    EXPECT_EQ(readDword(s.registry, "Software\\wexhal\\telmaq\\Settings", "AutoConnection"), 1u);
    EXPECT_TRUE(s.boxes.shown.empty());
}

TEST(Win32StartUp, StopsWithItsMessageWithoutEntriesAndSilentlyBesideARunningCopy)
{
    {
        SimulatedPhonebook empty({});
        WindowsStartUp s;
        s.run();
        EXPECT_EQ(s.boxes.texts(), std::vector<std::string>{"ダイヤルアップネットワークの設定がありません"});
        EXPECT_FALSE(s.seenAtRun);
    }
    SimulatedPhonebook phonebook({simEntry("会社")});
    MutexInstanceLock running(kGuard);
    ASSERT_EQ(running.acquire(), IInstanceLock::Result::Acquired);
    WindowsStartUp s;
    writeValue(s.registry, "RemoteAccess", "InternetProfile", REG_SZ, "会社", sizeof "会社");
    s.run();
    EXPECT_TRUE(s.boxes.shown.empty());
    EXPECT_FALSE(s.seenAtRun);
}

} // namespace
} // namespace telmaq::test
