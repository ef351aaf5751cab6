#include "scheduler/Tick.h"
#include "dialup/HiveValues.h"
#include "dialup/SystemDialupSettings.h"
#include "fakes/CountingRegistry.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeHistory.h"
#include "fakes/FakeTickWindow.h"
#include "scheduler/RedialText.h"
#include "support/TestHive.h"

#include <set>
#include <tuple>

namespace telmaq::test {
namespace {

constexpr int kSunday = 0, kMonday = 1, kTuesday = 2, kSaturday = 6;

bool DialDlgState::*const kDays[] = {&DialDlgState::m_bCheckSun, &DialDlgState::m_bCheckMon, &DialDlgState::m_bCheckTue,
                                     &DialDlgState::m_bCheckWed, &DialDlgState::m_bCheckThu, &DialDlgState::m_bCheckFri,
                                     &DialDlgState::m_bCheckSat};
// The flags that mark the main window busy; the schedule and the hang-up after an application
// wait for all of them (one check shared by both).
bool DialDlgState::*const kBusyFlags[] = {&DialDlgState::m_bTimeDlgOpen, &DialDlgState::m_bConnecting,
                                          &DialDlgState::m_bDisconnecting, &DialDlgState::m_bFileDlgOpen,
                                          &DialDlgState::m_bAboutOpen};

// Processes that end when the test says so; every close is noted.
struct EndingLauncher : IProcessLauncher
{
    ProcessHandle start(const std::string&, std::string*) override { return next++; }
    bool hasEnded(ProcessHandle process) override { return ended.count(process) != 0; }
    void close(ProcessHandle process) override { closed.insert(process); }
    std::set<ProcessHandle> ended;
    std::multiset<ProcessHandle> closed;
    ProcessHandle next = 41;
};

// Three entries, "Alpha" selected and the system's default entry agreeing, redial off: a tick
// changes nothing until a test sets something up. The test writes the hive as the system's
// dial-up tools would; the tick reads it through a wrapper that counts writes.
class TickTest : public ::testing::Test
{
protected:
    TickTest() { setRemote("Alpha", 0, 0, 0); }
    void setRemote(const std::string& entry, std::uint32_t enable, std::uint32_t wait, std::uint32_t tries)
    {
        storeValue(hive, "RemoteAccess", "InternetProfile", REG_SZ, entry + '\0');
        for (auto [name, value] : {std::pair{"EnableRedial", enable}, {"RedialWait", wait}, {"RedialTry", tries}})
            storeValue(hive, "RemoteAccess", name, REG_DWORD, le32(value));
    }
    DialDlgState& state() { return window.m_state; }
    void schedule(bool connect, int hour, int minute, int second)
    {
        auto& s = state();
        std::tie(connect ? s.m_bAutoConnection : s.m_bAutoDisconnection,
                 connect ? s.m_nConnectHour : s.m_nDisconnectHour, connect ? s.m_nConnectMinute : s.m_nDisconnectMinute,
                 connect ? s.m_nConnectSecond : s.m_nDisconnectSecond) = std::tuple{true, hour, minute, second};
    }
    void tickAt(int weekday, int hour, int minute, int second)
    {
        clock.setLocal(weekday, hour, minute, second);
        tick.OnTimer();
    }
    TestHive hive;
    CountingRegistry registry{hive};
    FakeClock clock;
    EndingLauncher launcher;
    FakeHistory history;
    FakeTickWindow window{{"Alpha", "Beta", "Gamma"}, 0};
    SystemDialupSettings settings{registry};
    Tick tick{window, settings, launcher, clock, history};
};

TEST_F(TickTest, ConnectsInTheSetSecondOfASelectedDayAndOtherwiseDisconnectsInItsOwnOnAnyDay)
{
    // Each day selected alone, then none. Both at 7:05:30 while a day is selected, so that a
    // connect must leave that second's disconnect out; the disconnect at 18:05:30 once none is.
    // Hour, minute and second swapped, and a second either side, must all miss.
    schedule(true, 7, 5, 30);
    std::vector<std::int64_t> connected, disconnected, expectConnected, expectDisconnected;
    window.onConnect = [&] { connected.push_back(clock.now()); };
    window.onDisconnect = [&] { disconnected.push_back(clock.now()); };
    for (int selected = kSunday; selected <= kSaturday + 1; ++selected) {
        const int hour = selected > kSaturday ? 18 : 7;
        schedule(false, hour, 5, 30);
        for (int day = kSunday; day <= kSaturday; ++day)
            state().*kDays[day] = day == selected;
        for (int day = kSunday; day <= kSaturday; ++day) {
            for (auto [h, m, s] : {std::tuple{hour, 30, 5}, {5, hour, 30}, {hour, 5, 29}, {hour, 5, 31}, {hour, 5, 30}})
                tickAt(day, h, m, s);
            (day == selected ? expectConnected : expectDisconnected).push_back(clock.now());
        }
    }
    EXPECT_EQ(connected, expectConnected);
    EXPECT_EQ(disconnected, expectDisconnected);
    // Not the user's runs: no messages, and the schedule's own flag is held meanwhile.
    const auto &c = window.connects.at(0), &d = window.disconnects.at(0);
    EXPECT_FALSE(c.interactive);
    EXPECT_TRUE(c.connecting);
    EXPECT_EQ(c.cause, HistoryCause::Schedule);
    EXPECT_FALSE(d.interactive);
    EXPECT_TRUE(d.disconnecting);
    EXPECT_EQ(d.cause, HistoryCause::ScheduledDisconnect);
    EXPECT_FALSE(state().m_bConnecting || state().m_bDisconnecting);
}

TEST_F(TickTest, NothingRunsWithoutTheConnectOptionWhileBusyItsOwnConnectIncludedNorAfterwardsNorAtATimeOutOfRange)
{
    schedule(false, 8, 0, 0);
    tickAt(kMonday, 8, 0, 0);
    schedule(true, 7, 30, 0);
    for (auto day : kDays)
        state().*day = true;
    for (auto flag : kBusyFlags) {
        for (bool busy : {true, false}) {
            state().*flag = busy;
            tickAt(kMonday, 7, 30, busy ? 0 : 1);
            tickAt(kMonday, 8, 0, busy ? 0 : 1);
        }
    }
    // Settings are loaded without range checks; hour 24 must not wrap round to midnight,
    // nor second 60 to the next minute.
    schedule(true, 24, 0, 0);
    schedule(false, 12, 59, 60);
    tickAt(kMonday, 0, 0, 0);
    tickAt(kMonday, 13, 0, 0);
    // The schedule's own connect is busy too: it pumps events while it dials, so later ticks
    // come in on top of it, and its disconnect second passes unserved.
    schedule(true, 7, 30, 0);
    schedule(false, 7, 30, 5);
    window.onConnect = [this] {
        for (int second = 1; second <= 10; ++second)
            tickAt(kMonday, 7, 30, second);
    };
    tickAt(kMonday, 7, 30, 0);
    EXPECT_EQ(window.log, std::vector<std::string>{"Connect"});
}

TEST_F(TickTest, AnEndedApplicationIsReleasedOnceAndHangsUpOnlyWithBothOptionsAsTheyAreThen)
{
    // The options as they are when the application ends decide; an end seen while busy is used
    // up without hanging up.
    const std::tuple<bool, bool, bool, bool DialDlgState::*, std::size_t> cases[] = {
        // auto application at start, at the end, hang up at the end, busy, hang-ups so far
        {true, true, true, nullptr, 1},
        {true, true, false, nullptr, 1},
        {false, true, true, nullptr, 2},
        {true, false, true, nullptr, 2},
        {true, true, true, &DialDlgState::m_bAboutOpen, 2}};
    for (auto [autoAtStart, autoAtEnd, hangUpAtEnd, busyFlag, hangUps] : cases) {
        state().m_bAutoApplication = autoAtStart;
        const ProcessHandle process = state().m_hProcess = launcher.start("sleep 2", nullptr);
        tick.OnTimer();
        std::tie(state().m_bAutoApplication, state().m_bApplicationDisconnection) = std::tuple{autoAtEnd, hangUpAtEnd};
        launcher.ended.insert(process);
        for (bool busy : {busyFlag != nullptr, false}) {
            if (busyFlag)
                state().*busyFlag = busy;
            tick.OnTimer();
        }
        EXPECT_EQ(std::tuple(state().m_hProcess, launcher.closed.count(process), window.disconnects.size()),
                  std::tuple(kNoProcess, 1u, hangUps));
    }
    const auto& d = window.disconnects.at(0);
    EXPECT_EQ(std::tuple(d.interactive, d.disconnecting, d.cause, state().m_bDisconnecting),
              std::tuple(false, true, HistoryCause::ApplicationEnd, false));
    EXPECT_EQ(history.lines(), std::vector<std::string>(std::size(cases), "app-ended application-end Alpha"));
}

TEST_F(TickTest, AnUnknownDefaultEntryGivesOneNoticePerChangeNeverStackedNorHoldingTheScheduleBack)
{
    // The notice is modal and the timer keeps running while it is open: the schedule goes on,
    // and a further change waits for the notice to close.
    schedule(true, 7, 30, 0);
    state().m_bCheckTue = true;
    window.onMessageBox = [this] {
        if (window.boxes.size() > 1)
            return;
        EXPECT_TRUE(tick.restartNoticeOpen());
        tickAt(kTuesday, 7, 30, 0);
        setRemote("Zeta", 0, 0, 0);
        tickAt(kTuesday, 7, 30, 1);
    };
    // After being put right, the same name is a new change; an unreadable default entry is an
    // empty name, itself unknown.
    for (const std::string& entry : std::vector<std::string>{"Delta", "Zeta", "Alpha", "Zeta", std::string(300, 'x')}) {
        setRemote(entry, 0, 0, 0);
        tick.OnTimer();
        tick.OnTimer();
    }
    ASSERT_EQ(window.boxes.size(), 4u);
    const auto& box = window.boxes[0];
    EXPECT_EQ(std::tie(box.text, box.title, box.style),
              std::tuple("設定が変更されました。telmaq を再起動してください", "telmaq - 警告", 0x40u));
    EXPECT_EQ(std::tuple(tick.restartNoticeOpen(), window.connects.size(), state().m_strEntry, window.isChecked(0),
                         window.checkedCount()),
              std::tuple(false, 1u, "Alpha", true, 1));
}

TEST_F(TickTest, EachChangedRedialValueRenewsTheCopyAndTheTextOnce)
{
    // The wait holds minutes in the high word and seconds in the low one.
    for (auto [enable, wait, tries, text] :
         {std::tuple{1u, 2u << 16 | 30u, 10u, "【リダイヤルあり】\n 2分 30秒 / 10回"},
          {1u, 2u << 16 | 30u, 11u, "【リダイヤルあり】\n 2分 30秒 / 11回"},
          {1u, 59u, 11u, "【リダイヤルあり】\n 0分 59秒 / 11回"},
          {0u, 59u, 11u, "【リダイヤルなし】"}}) {
        setRemote("Alpha", enable, wait, tries);
        tick.OnTimer();
        tick.OnTimer();
        EXPECT_EQ(state().m_strRedialText, text);
    }
    EXPECT_EQ(window.log, std::vector<std::string>(4, "UpdateData(false)"));
    EXPECT_EQ(std::tie(state().m_bRedial, state().m_nRedialWait, state().m_nRedialTry), std::tuple(false, 59, 11));
    EXPECT_EQ(FormatRedialText(true, INT32_MAX, INT32_MIN), "【リダイヤルあり】\n 35791394分 7秒 / -2147483648回");
}

TEST_F(TickTest, TheStepsRunInOrder)
{
    schedule(true, 7, 30, 0);
    state().m_bCheckMon = state().m_bAutoApplication = state().m_bApplicationDisconnection = true;
    launcher.ended.insert(state().m_hProcess = launcher.start("app", nullptr));
    setRemote("bETA", 1, 0, 0);
    tickAt(kMonday, 7, 30, 0);
    EXPECT_EQ(window.log, (std::vector<std::string>{"Connect", "Disconnect", "select 1", "uncheck 0", "check 1",
                                                    "uncheck 2", "UpdateData(false)"}));
    // A listed default entry is followed in the list's own writing, without writing it back;
    // every key the tick opened is closed again.
    EXPECT_EQ(std::tuple(state().m_strEntry, registry.writes, registry.open), std::tuple("Beta", 0, 0));
}

} // namespace
} // namespace telmaq::test
