#include "app/DialApp.h"
#include "app/LazyDialupService.h"
#include "app/MessageLog.h"
#include "dialup/DialupLists.h"
#include "dialup/HiveValues.h"
#include "dialup/RasErrorText.h"
#include "dialup/SystemDialupSettings.h"
#include "fakes/CountingRegistry.h"
#include "fakes/FakeDialupService.h"
#include "fakes/FakeInstanceLock.h"
#include "fakes/MessageBoxRecorder.h"
#include "support/FileContents.h"
#include "support/TempEnvironment.h"
#include "support/TestHive.h"

#ifndef _WIN32
#include "platform/HiveTestSupport.h"
#endif

#include <optional>
#include <sstream>
#include <tuple>

namespace telmaq::test {
namespace {

const char kNoDialup[] = "ダイヤルアップネットワークの設定がありません";
const char kSettings[] = "Software\\wexhal\\telmaq\\Settings";
const char kDefaults[] = "00 1111111 0:0:0 0:0:0 000 [] 0,0";

std::string summary(const DialDlgState& d)
{
    std::ostringstream s;
    s << d.m_bAutoConnection << d.m_bAutoDisconnection << ' ' << d.m_bCheckSun << d.m_bCheckMon << d.m_bCheckTue
      << d.m_bCheckWed << d.m_bCheckThu << d.m_bCheckFri << d.m_bCheckSat << ' ' << d.m_nConnectHour << ':'
      << d.m_nConnectMinute << ':' << d.m_nConnectSecond << ' ' << d.m_nDisconnectHour << ':' << d.m_nDisconnectMinute
      << ':' << d.m_nDisconnectSecond << ' ' << d.m_bAutoApplication << d.m_bApplicationDisconnection << d.m_bIconic
      << " [" << d.m_strApplicationFile << "] " << d.m_nWindowLeft << ',' << d.m_nWindowTop;
    return s.str();
}

// Start-up over fakes. Its main window notes the state it runs with and turns the schedule on,
// as a user would.
struct StartUp : IMainWindowFactory
{
    struct Window : IMainWindow
    {
        StartUp& s;
        explicit Window(StartUp& startUp) : s(startUp) {}
        DialDlgState& state() override { return s.dlg; }
        void runModal() override { s.seenAtRun = s.dlg, s.dlg.m_bAutoConnection = true; }
    };
    std::unique_ptr<IMainWindow> createMainWindow(CDialApp&) override { return std::make_unique<Window>(*this); }
    // Start-up and shutdown as main runs them: true when they end as they should.
    bool run(const char* defaultEntry)
    {
        if (defaultEntry)
            storeValue(hive, "RemoteAccess", "InternetProfile", REG_SZ, std::string(defaultEntry) + '\0');
        CDialApp app(hive, StartUpPorts{lock, lists, errorText, settings, boxes, *this, hive.location()});
        const bool result = app.StartUp();
        return app.ShutDown() == 0 && !result;
    }

    TestHive hive;
    FakeDialupService service;
    DialupLists lists{service};
    RasErrorText errorText{service};
    SystemDialupSettings settings{hive};
    FakeInstanceLock lock;
    MessageBoxRecorder boxes;
    DialDlgState dlg;
    std::optional<DialDlgState> seenAtRun;
};

TEST(StartUpTest, SettingsAreLoadedBeforeTheRunAndChangesSavedAfterIt)
{
    StartUp s;
    s.lock.setAnswer(IInstanceLock::Result::Unavailable); // better one copy too many than none
    s.service.addEntry("A");
    storeValue(s.hive, kSettings, "ConnectionHour", REG_DWORD, le32(7));
    EXPECT_TRUE(s.run("Elsewhere")); // a default entry not in the phonebook is the window's to deal with
    ASSERT_TRUE(s.seenAtRun);
    EXPECT_EQ(std::tie(s.seenAtRun->m_nConnectHour, s.seenAtRun->m_strEntry), std::tuple(7, "Elsewhere"));
    EXPECT_EQ(std::tuple(stored(s.hive, kSettings, "AutoConnection"), s.boxes.shown.size()),
              std::tuple("4:" + le32(1), 0u));
}

// A second copy ends at once without a trace: no box, no call to the dial-up service, not even
// a hive file. Without dial-up networking, entries or a default entry, start-up stops with a
// box before the window runs.
TEST(StartUpTest, StopsBeforeTheWindowRunsAndLeavesNothingInTheHive)
{
    using Lock = IInstanceLock::Result;
    using Case = std::tuple<Lock, int, std::uint32_t, const char*, const char*>; // entries, listing fails, box
    for (const auto& [lock, entries, listingFails, defaultEntry, box] :
         {Case{Lock::HeldByAnother, 1, 0, nullptr, nullptr}, Case{Lock::Acquired, 0, 0, "A", kNoDialup},
          Case{Lock::Acquired, 1, 0, nullptr, kNoDialup}, Case{Lock::Acquired, 1, 0, "", kNoDialup},
          Case{Lock::Acquired, 1, 799, "entry 0", "the service's own words"}}) {
        StartUp s;
        s.lock.setAnswer(lock);
        s.service.addEntries(entries);
        s.service.setErrorString(799, "the service's own words");
        if (listingFails)
            s.service.failNextEnumEntries(listingFails);
        EXPECT_TRUE(s.run(defaultEntry));
        if (!box) {
            EXPECT_EQ(std::tuple(s.service.totalCalls(), s.hive.untouched()), std::tuple(0, true));
            EXPECT_TRUE(s.boxes.shown.empty());
            continue;
        }
        ASSERT_EQ(s.boxes.texts(), std::vector<std::string>{box});
        const auto& shown = s.boxes.shown[0];
        EXPECT_EQ(std::tie(shown.title, shown.style, shown.owner), std::tuple("telmaq", 0x30u, nullptr));
        EXPECT_FALSE(s.seenAtRun);
        HKEY ours = 0;
        EXPECT_NE(s.hive.openKey(HKEY_CURRENT_USER, "Software\\wexhal", KEY_READ, &ours), ERROR_SUCCESS);
    }
}

#ifndef _WIN32 // damage to the hive's own file: the registry of Windows has none of ours
// A hive cut inside a page reads as if its values were missing; start-up names the damaged file
// rather than telling of dial-up networking that is not set up, and writes nothing into it.
TEST(StartUpTest, ADamagedSettingsFileIsNamedAndLeftByteForByte)
{
    StartUp s;
    s.service.addEntry("A");
    {
        // Filled and closed first, so that every page is in the file itself.
        SqliteHive filling(s.hive.location());
        storeValue(filling, "RemoteAccess", "InternetProfile", REG_SZ, std::string("A") + '\0');
        HKEY key = 0;
        ASSERT_EQ(filling.createKey(HKEY_CURRENT_USER, kSettings, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
        for (int i = 0; i < 60; ++i)
            setText(filling, key, ("Value" + std::to_string(i)).c_str(), std::string(200, 'v'));
    }
    const std::string bytes = cutInsideLastPage(s.hive.location());
    ASSERT_NE(bytes, "");

    EXPECT_TRUE(s.run(nullptr));
    ASSERT_EQ(s.boxes.texts().size(), 1u);
    EXPECT_NE(s.boxes.texts()[0].find("「" + s.hive.location() + "」が壊れています"), std::string::npos)
        << s.boxes.texts()[0];
    EXPECT_EQ(s.boxes.shown[0].style, 0x30u);
    EXPECT_FALSE(s.seenAtRun);
    EXPECT_TRUE(fileContents(s.hive.location()) == bytes);
}
#endif

TEST(StartUpTest, TheDialupServiceOpensAtItsFirstUseAndOnlyOnce)
{
    int opened = 0;
    LazyDialupService lazy([&opened] {
        auto service = std::make_unique<FakeDialupService>();
        service->addEntry(std::to_string(++opened));
        return service;
    });
    DialupLists lists(lazy);
    EXPECT_FALSE(lazy.isOpen());
    EXPECT_EQ(lists.EnumEntries() + lists.EnumConnections(), 0u);
    EXPECT_EQ(std::tuple(opened, lists.entryCount()), std::tuple(1, 1));
}

TEST(MessageLog, EveryBoxIsWrittenDownAndStillShownEvenWhenTheLogCannotBeWritten)
{
    TempEnvironment env;
    const std::string path = (env.dir() / "messages.log").string();
    MessageBoxRecorder shown;
    LoggingMessageBox logged(shown, path), unwritable(shown, "/nonexistent-folder/messages.log");
    logged.messageBox(nullptr, kNoDialup, "telmaq", 0x30);
    logged.messageBox(nullptr, "two\nlines\twith a tab and a \\", "telmaq - 警告", 0x40);
    unwritable.messageBox(nullptr, "text", "telmaq", 0x30);
    EXPECT_EQ(fileContents(path),
              std::string("telmaq\t48\t") + kNoDialup + "\ntelmaq - 警告\t64\ttwo\\nlines\\twith a tab and a \\\\\n");
    EXPECT_EQ(shown.texts(), (std::vector<std::string>{kNoDialup, "two\nlines\twith a tab and a \\", "text"}));
}

class Settings : public ::testing::Test
{
protected:
    // The value names of the calls made so far that start with prefix, a repeat in a row once.
    std::vector<std::string> named(const std::string& prefix)
    {
        std::vector<std::string> names;
        for (const std::string& call : counting.calls)
            if (call.rfind(prefix, 0) == 0 && (names.empty() || names.back() != call.substr(prefix.size())))
                names.push_back(call.substr(prefix.size()));
        counting.calls.clear();
        return names;
    }

    TestHive hive;
    CountingRegistry counting{hive};
    CDialApp app{counting};
    DialDlgState dlg;
};

TEST_F(Settings, EveryChangeIsWrittenInTheOrderReadAndComesBackAsSaved)
{
    app.LoadSettings(dlg);
    EXPECT_EQ(summary(dlg), kDefaults);
    const std::vector<std::string> read = named("query ");
    dlg.m_bAutoConnection = dlg.m_bAutoDisconnection = dlg.m_bAutoApplication = true;
    dlg.m_bApplicationDisconnection = dlg.m_bIconic = dlg.m_bMoved = true;
    dlg.m_bCheckSun = dlg.m_bCheckMon = dlg.m_bCheckTue = dlg.m_bCheckWed = false;
    dlg.m_bCheckThu = dlg.m_bCheckFri = dlg.m_bCheckSat = false;
    std::tie(dlg.m_nConnectHour, dlg.m_nConnectMinute, dlg.m_nConnectSecond) = std::tuple{7, 30, 1};
    std::tie(dlg.m_nDisconnectHour, dlg.m_nDisconnectMinute, dlg.m_nDisconnectSecond) = std::tuple{23, 59, 58};
    std::tie(dlg.m_nWindowLeft, dlg.m_nWindowTop) = std::tuple{300, -10};
    dlg.m_strApplicationFile = "\"/usr/bin/メーラー\" --check";
    app.SaveSettings(dlg);
    EXPECT_EQ(named("set "), read);
    EXPECT_EQ(stored(hive, kSettings, "ApplicationFile"), "1:" + dlg.m_strApplicationFile + '\0');

    CDialApp next{hive};
    DialDlgState again;
    next.LoadSettings(again);
    EXPECT_EQ(summary(again), summary(dlg));
}

TEST_F(Settings, StoredValuesAreTakenAsTheyAreAndOnlyChangesAreWritten)
{
    // The type tag is not looked at; a number of another size than four bytes is the default.
    for (auto [name, type, bytes] : {std::tuple{"CheckMon", REG_DWORD, le32(5)},
                                     {"CheckSun", REG_DWORD, le32(0)},
                                     {"ConnectionHour", REG_BINARY, le32(99)},
                                     {"CheckTue", REG_DWORD, std::string(2, '\0')},
                                     {"ConnectionMinute", REG_DWORD, le32(5) + le32(0)},
                                     {"AutoConnection", REG_DWORD, std::string()},
                                     {"ApplicationFile", REG_SZ, std::string("mailer.exe\0", 11)}})
        storeValue(hive, kSettings, name, type, bytes);
    app.LoadSettings(dlg);
    EXPECT_EQ(summary(dlg), "00 0111111 99:0:0 0:0:0 000 [mailer.exe] 0,0");

    named("");
    counting.refuseWritesOf = "ApplicationFile";
    dlg.m_strApplicationFile = "Mailer.exe"; // letter case alone is a change
    dlg.m_bIconic = true;
    dlg.m_nWindowLeft = 300; // not marked as moved
    app.SaveSettings(dlg);
    app.SaveSettings(dlg); // the loaded copy stays as loaded
    EXPECT_EQ(named("set "), (std::vector<std::string>{"ApplicationFile", "Iconic", "ApplicationFile", "Iconic"}));
    // A refused write does not stop the others.
    EXPECT_EQ(std::tuple(stored(hive, kSettings, "CheckMon"), stored(hive, kSettings, "AutoConnection"),
                         stored(hive, kSettings, "Iconic")),
              std::tuple("4:" + le32(5), "4:", "4:" + le32(1)));
}

TEST_F(Settings, ATextLengthenedBetweenItsSizeAndItsReadIsReadWhole)
{
    // Another program writes a longer path just after its size was asked.
    struct Growing : CountingRegistry
    {
        using CountingRegistry::CountingRegistry;
        long queryValue(HKEY key, const char* name, std::uint32_t* type, std::uint8_t* data,
                        std::uint32_t* size) override
        {
            const long rc = CountingRegistry::queryValue(key, name, type, data, size);
            if (!data && std::string(name) == "ApplicationFile")
                setText(*this, key, name, "/opt/a much longer mailer");
            return rc;
        }
    } growing{hive};
    storeValue(hive, kSettings, "ApplicationFile", REG_SZ, std::string("mailer") + '\0');
    CDialApp(growing).LoadSettings(dlg);
    EXPECT_EQ(dlg.m_strApplicationFile, "/opt/a much longer mailer");
}

#ifndef _WIN32 // damage to the hive's own file: the registry of Windows has none of ours
TEST_F(Settings, ACorruptHiveGivesTheDefaultsAndIsLeftByteForByte)
{
    const std::string corrupt = "SQLite format 2\n" + std::string(8000, '\x13');
    writeFile(hive.location(), corrupt);
    // Stale members, so that a default left unset would show.
    std::tie(dlg.m_bCheckSun, dlg.m_bIconic, dlg.m_nConnectHour, dlg.m_strApplicationFile) =
        std::tuple(false, true, 12, "stale");
    app.LoadSettings(dlg);
    EXPECT_EQ(summary(dlg), kDefaults);
    dlg.m_bAutoConnection = dlg.m_bMoved = true;
    app.SaveSettings(dlg);
    EXPECT_EQ(fileContents(hive.location()), corrupt);
    EXPECT_EQ(counting.open, 0) << "a key was left open";
}
#endif

} // namespace
} // namespace telmaq::test
