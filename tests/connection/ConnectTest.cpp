// The connect and disconnect procedures: how each way a dial ends is told and recorded, the
// redial and its countdown, cancelling and quitting, the application started after a connect,
// the race of the notifier thread against the loop, and a run on the line simulator.
#include "connection/ConnectProcedure.h"
#include "connection/ConnectionControl.h"
#include "connection/DialStatusText.h"
#include "dialup/DialupLists.h"
#include "dialup/RasErrorText.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDialWindow.h"
#include "fakes/FakeDialupService.h"
#include "fakes/FakeHistory.h"
#include "fakes/FakeProcessLauncher.h"
#include "support/TempEnvironment.h"

#ifndef _WIN32
#include "platform/HiveTestSupport.h"
#include "platform/dialup/LineSimulator.h"
#include "platform/history/SqliteHistory.h"
#include "tools/ToolRun.h"
#endif

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <random>
#include <thread>
#include <tuple>

namespace telmaq::test {
namespace {

// Sanitizers and Wine run these threads some twenty times slower.
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__) || defined(_WIN32)
constexpr int kConnects = 300;
#else
constexpr int kConnects = 4000;
#endif

// The user's Connect over a fake service with one entry that has its credentials stored.
// Whatever a test does, no dialog may be touched once gone, left open, or covered by a box.
class ConnectTest : public ::testing::Test
{
protected:
    static constexpr const char* kEntry = "プロバイダ";
    using Script = FakeDialupService::Script;

    ConnectTest()
        : lists(fake), errorText(fake), window(&clock),
          control(window, {fake, lists, errorText, launcher, clock, history})
    {
        fake.addEntry(kEntry, {"0120-000-000", "taro", "secret", {}});
        window.dlg.m_strEntry = kEntry;
        window.dlg.m_bInteractive = true;
        window.dlg.m_strApplicationFile = "mailer";
    }
    void TearDown() override
    {
        EXPECT_EQ(window.misuses, 0);
        EXPECT_FALSE(window.dialogOpen);
    }

    // Hands over one report per pass of the loop, so that each is seen on its own.
    void oneReportPerPass()
    {
        fake.holdReports();
        window.onPass = [this](int) { releaseOne(); };
    }
    void releaseOne()
    {
        const std::size_t delivered = fake.delivered();
        if (fake.pendingReports() == 0)
            return;
        fake.releaseReports(1);
        ASSERT_TRUE(fake.waitForDeliveries(delivered + 1));
    }
    void connect() { control.Connect(); }
    std::string textFor(std::uint32_t code) { return errorText.GetRasErrorText(code); }
    // The boxes shown and the history recorded since the last call, joined by " | ".
    std::string outcome()
    {
        std::string seen;
        for (const std::string& line : window.log)
            if (line.rfind("warning ", 0) == 0 || line.rfind("error ", 0) == 0)
                seen += " | " + line;
        const std::vector<std::string> lines = history.lines();
        for (; m_historySeen < lines.size(); ++m_historySeen)
            seen += " | " + lines[m_historySeen];
        window.log.clear();
        return seen.substr(std::min<std::size_t>(seen.size(), 3));
    }

    TempEnvironment env;
    FakeClock clock;
    FakeDialupService fake;
    DialupLists lists;
    RasErrorText errorText;
    FakeProcessLauncher launcher;
    FakeHistory history;
    FakeDialWindow window;
    ConnectionControl control;
    std::size_t m_historySeen = 0;
};

TEST_F(ConnectTest, EveryEndIsToldToTheUserOnlyAndRecordedForBoth)
{
    fake.addEntry("パスワードなし", {"0120", "taro", {}, {}});
    fake.addEntry("ユーザー名なし", {"0120", {}, "secret", {}});
    fake.setErrorString(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, "電話帳エントリが見つかりません");
    const std::string noCredentials = "warning ユーザー名またはパスワードが設定されていません | failed % ";
    const std::string dialled = "dial-started % プロバイダ | ";
    // Boxes (shown only to the user), history ("%": what started it), then the counts of
    // dials, hang-ups, status texts and applications started. The service's own text for 676
    // shows only when the dial itself answers it; a report with an error shows no status text.
    // clang-format off
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { fake.addConnection("他社の回線"); }, "warning 「他社の回線」に接続されています | 0 0 0 0"},
        {[&] { fake.failNextEnumConnections(ERROR_HARDWARE_FAILURE); }, "error " + textFor(ERROR_HARDWARE_FAILURE) + " | failed % プロバイダ 630 | 0 0 0 0"},
        // The user could not cancel a dial that has no dialog.
        {[&] { window.failCreateDialog = true; }, "cancelled % プロバイダ | 0 0 0 0"},
        {[&] { window.dlg.m_strEntry = "パスワードなし"; }, noCredentials + "パスワードなし | 0 0 0 0"},
        {[&] { window.dlg.m_strEntry = "ユーザー名なし"; }, noCredentials + "ユーザー名なし | 0 0 0 0"},
        {[&] { fake.failNextGetParams(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY); }, "error 電話帳エントリが見つかりません | failed % プロバイダ 623 | 0 0 0 0"},
        {[&] { fake.failNextDial(ERROR_PORT_ALREADY_OPEN, true); }, "error 通信ポートが使用中です | " + dialled + "failed % プロバイダ 602 | 1 1 0 0"},
        {[&] { fake.failNextDial(ERROR_LINE_BUSY, false); }, "error 接続先が話中です | " + dialled + "failed % プロバイダ 676 | 1 0 0 0"},
        {[&] { fake.scriptDial(FakeDialupService::failingScript(ERROR_AUTHENTICATION_FAILURE)); }, "error ユーザー名またはパスワードが間違っています | " + dialled + "failed % プロバイダ 691 | 1 1 2 0"},
        {[&] { fake.scriptDial({{RASCS_OpenPort, 0}, {RASCS_Disconnected, 0}}); }, dialled + "failed % プロバイダ | 1 0 2 0"},
        {[] {}, dialled + "connected % プロバイダ | app-started % プロバイダ | 1 0 8 1"},
    };
    // clang-format on
    window.dlg.m_bAutoApplication = true;
    oneReportPerPass();
    for (const bool interactive : {true, false}) {
        window.dlg.m_bInteractive = interactive;
        window.dlg.m_historyCause = interactive ? HistoryCause::Button : HistoryCause::Schedule;
        for (const auto& [setUp, expected] : cases) {
            SCOPED_TRACE(expected);
            fake.clearConnections();
            window.failCreateDialog = false;
            window.dlg.m_strEntry = kEntry;
            window.dlg.m_hProcess = kNoProcess;
            launcher.started.clear();
            const std::size_t dials = fake.dialParams().size(), hangUps = fake.hungUp().size();
            setUp();
            connect();
            const std::string counts = std::to_string(fake.dialParams().size() - dials) + " " +
                                       std::to_string(fake.hungUp().size() - hangUps) + " " +
                                       std::to_string(window.logged("status ").size()) + " " +
                                       std::to_string(launcher.started.size());
            std::string told = expected;
            for (std::size_t at; (at = told.find('%')) != std::string::npos;)
                told.replace(at, 1, interactive ? "button" : "schedule");
            while (!interactive && (told.rfind("warning ", 0) == 0 || told.rfind("error ", 0) == 0))
                told.erase(0, told.find(" | ") + 3);
            const std::string seen = outcome();
            EXPECT_EQ(seen + (seen.empty() ? "" : " | ") + counts, told);
            EXPECT_FALSE(DialNotification::instance().isActive());
        }
    }
}

TEST_F(ConnectTest, ADialShowsEveryReportInItsPlacedDialogAndStartsTheApplication)
{
    oneReportPerPass();
    window.clientRect = {1700, 100, 2100, 400};
    window.dlg.m_bAutoApplication = true;
    window.dlg.m_strApplicationFile = "'/opt/メール/mailer' --check";
    connect();
    std::vector<std::string> expected = {"place 1620,210", "caption telmaq - プロバイダ に接続中"};
    for (const FakeDialupService::Report& report : FakeDialupService::connectingScript())
        expected.push_back(std::string("status ") + dialStatusText(report.state));
    expected.push_back("destroy"); // before the application starts
    EXPECT_EQ(window.log, expected);
    EXPECT_EQ(launcher.started, std::vector<std::string>{"'/opt/メール/mailer' --check"});
    EXPECT_NE(window.dlg.m_hProcess, kNoProcess);
    EXPECT_TRUE(window.dlg.m_bKeepDialing) << "only the dialog's own Cancel clears the flag";
    EXPECT_STREQ(fake.dialParams().at(0).szUserName, "taro");
    EXPECT_EQ(fake.dialNotifierTypes(), std::vector<std::uint32_t>{0});
}

TEST_F(ConnectTest, WaitsForReportsInsteadOfSpinning)
{
    // A wait that ran out would move the fake clock on: an unchanged clock shows that every
    // wait was ended by a report's wake-up.
    window.realWaitCapMs = 60'000;
    fake.holdReports();
    std::thread releaser([this] {
        for (std::size_t i = 1; i <= FakeDialupService::connectingScript().size(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            fake.releaseReports(1);
            ASSERT_TRUE(fake.waitForDeliveries(i));
        }
    });
    const std::int64_t before = clock.nowMs();
    connect();
    releaser.join();
    EXPECT_EQ(clock.nowMs(), before);
    EXPECT_EQ(window.pumps, 1) << "only the pass that ends the dial pumps without waiting";
    EXPECT_GT(window.waitsByMs[ConnectProcedure::kReportWaitMs], 0);
    EXPECT_EQ(window.lastStatus(), "Connected");
}

TEST_F(ConnectTest, CancelAndQuitHangUpSilentlyAndStartNothing)
{
    // Whether to stop dialling in this pass, whether the application quits rather than the
    // user cancelling, and the history.
    const std::string dialled = "dial-started button プロバイダ | ", cancelled = "cancelled button プロバイダ";
    // clang-format off
    const std::tuple<std::function<bool(int pass)>, bool, std::string> cases[] = {
        {[](int pass) { return pass > 3; }, false, dialled + cancelled},
        // Cancelled in the pass that took Connected: nothing may start on a line just hung up.
        {[this](int) { return window.lastStatus() == "Connected"; }, false, dialled + "connected button プロバイダ | " + cancelled},
        {[](int pass) { return pass > 2; }, true, dialled + cancelled},
    };
    // clang-format on
    window.dlg.m_bAutoApplication = true;
    connect(); // leaves a Connected report behind in the process-wide record
    for (const auto& [stop, quit, told] : cases) {
        window.dlg.m_hProcess = kNoProcess;
        fake.clearConnections();
        outcome();
        oneReportPerPass();
        int pass = 0;
        window.onPass = [&, quits = quit, stops = stop](int) {
            if (!stops(++pass))
                releaseOne();
            else if (quits)
                window.quitting = true;
            else if (window.dialogOpen)
                window.cancel();
        };
        connect();
        window.quitting = false;
        EXPECT_EQ(window.log.back(), quit ? "destroy" : "cancel");
        EXPECT_EQ(outcome(), told);
        EXPECT_EQ(fake.hungUp().back(), fake.lastDialHandle());
        EXPECT_TRUE(fake.connections().empty());
        EXPECT_EQ(launcher.started.size(), 1u);
    }
}

// An application starts only when asked for, with a command, and none is held; one that
// cannot start ends the line a second later, only when asked to and only after a listing
// that worked: hanging up the stale handles of an earlier listing could end another line.
TEST_F(ConnectTest, ApplicationStartsOnlyWhenAskedAndOneThatCannotStartEndsTheLineOnlyWhenAsked)
{
    // Asked to start, command, held process, start fails, asked to end the line, listing
    // fails after the launch; then the error boxes, lines up and time slept at the box.
    // clang-format off
    const std::tuple<bool, const char*, ProcessHandle, bool, bool, bool, std::string> cases[] = {
        {false, "mailer", kNoProcess, false, true, false, "0 - -"},
        {true, "", kNoProcess, false, true, false, "0 - -"},
        {true, "mailer", 4242, false, true, false, "0 - -"},
        {true, "mailer", kNoProcess, true, false, false, "1 1 0"},
        {true, "mailer", kNoProcess, true, true, false, "1 0 1000"},
        {true, "mailer", kNoProcess, true, true, true, "1 1 1000"},
    };
    // clang-format on
    for (const auto& [option, command, held, fails, disconnect, listingFails, expected] : cases) {
        SCOPED_TRACE(expected);
        fake.clearConnections();
        window.log.clear();
        launcher.failStart = fails;
        window.dlg.m_bAutoApplication = option;
        window.dlg.m_strApplicationFile = command;
        window.dlg.m_hProcess = held;
        window.dlg.m_bApplicationDisconnection = disconnect;
        int listings = 0;
        fake.onEnumConnections([&, failing = listingFails](int) {
            if (++listings == 2 && failing)
                fake.failNextEnumConnections(ERROR_NOT_ENOUGH_MEMORY);
        });
        std::string atBox = "- -";
        const std::int64_t slept = clock.sleptMs();
        window.onMessageBox = [&] {
            atBox = std::to_string(fake.connections().size()) + " " + std::to_string(clock.sleptMs() - slept);
        };
        connect();
        const std::vector<std::string> boxes = window.logged("error ");
        EXPECT_EQ(std::to_string(boxes.size()) + " " + atBox, expected);
        EXPECT_EQ(boxes, std::vector<std::string>(boxes.size(), "アプリケーションを起動できませんでした"));
        EXPECT_EQ(window.dlg.m_hProcess, held);
    }
    fake.onEnumConnections(nullptr);
}

using DisconnectTest = ConnectTest;

TEST_F(DisconnectTest, HangsUpEveryLineOrTellsTheUserWhyNot)
{
    const std::tuple<std::vector<std::string>, std::uint32_t, std::string> cases[] = {
        {{}, 0, "warning 接続されていません"},
        {{"プロバイダ"}, 0, "hung-up button プロバイダ"},
        {{"プロバイダ", "他社の回線"}, 0, "hung-up button プロバイダ | hung-up button 他社の回線"},
        {{"プロバイダ"}, ERROR_NO_DIALTONE, "error " + textFor(ERROR_NO_DIALTONE)},
    };
    for (const bool interactive : {true, false})
        for (const auto& [lines, listing, told] : cases) {
            window.dlg.m_bInteractive = interactive;
            fake.clearConnections();
            for (const std::string& line : lines)
                fake.addConnection(line);
            const std::size_t hungUp = fake.hungUp().size();
            if (listing)
                fake.failNextEnumConnections(listing);
            control.Disconnect();
            const bool box = told.rfind("hung-up", 0) != 0;
            EXPECT_EQ(outcome(), interactive || !box ? told : "");
            EXPECT_EQ(fake.hungUp().size() - hungUp, box ? 0 : lines.size());
            EXPECT_EQ(window.passes, 0) << "Disconnect neither pumps nor waits";
        }
}

TEST_F(DisconnectTest, OnlyALineThatWeDidNotHangUpIsRecordedAsDropped)
{
    for (const bool hangUpFirst : {true, false}) {
        fake.clearConnections();
        connect();
        window.dlg.m_historyCause = HistoryCause::ScheduledDisconnect;
        if (hangUpFirst)
            control.Disconnect();
        // The service's report of the line's end, even one already on its way at our hang-up.
        DialNotifier(0, RASCS_Disconnected, ERROR_REMOTE_DISCONNECTION);
        window.dlg.m_historyCause = HistoryCause::Button;
    }
    EXPECT_EQ(outcome(), "dial-started button プロバイダ | connected button プロバイダ | hung-up scheduled-disconnect "
                         "プロバイダ | dial-started button プロバイダ | connected button プロバイダ | line-dropped "
                         "button プロバイダ 629");
}

// A line that is always busy, redialled after a short wait whose countdown runs out at once.
class ConnectRedialTest : public ConnectTest
{
protected:
    ConnectRedialTest()
    {
        fake.setDefaultScript(FakeDialupService::failingScript(ERROR_LINE_BUSY));
        window.dlg.m_bRedial = true;
        window.dlg.m_nRedialTry = 1;
        window.realWaitCapMs = 0;
    }
    // Busy once, then connects; act sees each countdown text of the first wait. Answers the
    // countdown texts shown.
    std::vector<std::string> busyThenConnect(std::int32_t wait, std::function<void(const std::string& left)> act)
    {
        window.dlg.m_nRedialWait = wait;
        fake.scriptDial(FakeDialupService::failingScript(ERROR_LINE_BUSY));
        fake.scriptDial(FakeDialupService::connectingScript());
        window.onPass = [this, act](int) {
            const std::string text = window.lastStatus();
            if (act && text.rfind(kWaiting, 0) == 0)
                act(text.substr(std::string(kWaiting).size()));
        };
        connect();
        return window.logged(std::string("status ") + kWaiting);
    }
    static constexpr const char* kWaiting = "ダイヤル 1\nリダイヤルまであと ";
};

TEST_F(ConnectRedialTest, OnlyABusyLineIsRedialledAsOftenAsTheTriesAllow)
{
    // Redial on, tries, wait in seconds, the dial's error, and the dials made.
    const std::tuple<bool, std::int32_t, std::int32_t, std::uint32_t, std::size_t> cases[] = {
        {true, 2, 3, ERROR_LINE_BUSY, 3},  {true, 0, 3, ERROR_LINE_BUSY, 1}, {true, -1, 3, ERROR_LINE_BUSY, 1},
        {false, 5, 3, ERROR_LINE_BUSY, 1}, {true, 1, 0, ERROR_LINE_BUSY, 2}, {true, 3, 3, ERROR_NO_ANSWER, 1}};
    for (const auto& [redial, tries, wait, error, dials] : cases) {
        SCOPED_TRACE(std::to_string(redial) + " " + std::to_string(tries) + " " + std::to_string(wait));
        window.dlg.m_bRedial = redial;
        window.dlg.m_nRedialTry = tries;
        window.dlg.m_nRedialWait = wait;
        fake.setDefaultScript(FakeDialupService::failingScript(error));
        const std::size_t hangUps = fake.hungUp().size(), handles = fake.handlesAtDial().size();
        connect();
        std::string expected = error == ERROR_LINE_BUSY ? "warning 話中です" : "error " + textFor(error);
        expected += " | dial-started button プロバイダ";
        for (std::size_t n = 1; n < dials; ++n)
            expected += " | redial button プロバイダ";
        const std::vector<std::string> waits = window.logged("status ダイヤル ");
        EXPECT_EQ(window.logged("caption ").size(), dials) << "a caption every dial";
        EXPECT_EQ(outcome(), expected + " | failed button プロバイダ " + std::to_string(error));
        // A new dial starts from an empty handle, and each line is hung up once.
        EXPECT_EQ(fake.handlesAtDial(), std::vector<HRASCONN>(handles + dials, kNoConnection));
        EXPECT_EQ(fake.hungUp().size() - hangUps, dials);
        EXPECT_TRUE(fake.connections().empty());
        // The last wait counts the busy results met so far; a wait of 0 shows none.
        EXPECT_EQ(waits.empty() ? 0 : std::stoul(waits.back()), wait > 0 ? dials - 1 : 0);
    }
    EXPECT_EQ(window.dialogs, std::size(cases)) << "one dialog per connect";
}

TEST_F(ConnectRedialTest, CountdownSwitchesFormAfterSixtySecondsWaitedAndPaintsEachSecondOnce)
{
    std::vector<std::string> expected;
    for (int left = 75; left >= 1; --left)
        expected.push_back(left > 15 ? std::to_string(left) + " 秒" : "0 分 " + std::to_string(left) + " 秒");
    EXPECT_EQ(busyThenConnect(75, nullptr), expected);
    EXPECT_EQ(window.lastStatus(), "Connected");
    // Spent in the window's event wait, about ten passes a second, never in a sleep or a spin.
    EXPECT_GE(window.waitsByMs[ConnectProcedure::kCountdownWaitMs], 740);
    EXPECT_EQ(clock.sleptMs(), 0);
    EXPECT_LE(window.pumps, 3);
}

TEST_F(ConnectRedialTest, SettingsAndEntryAreReadAtTheMomentOfUse)
{
    fake.addEntry("別のプロバイダ", {"0120", "jiro", "pw", {}});
    const std::vector<std::string> left = busyThenConnect(600, [this](const std::string&) {
        window.dlg.m_nRedialWait = 2;
        window.dlg.m_strEntry = "別のプロバイダ";
    });
    EXPECT_STREQ(fake.dialParams().at(1).szEntryName, "別のプロバイダ");
    EXPECT_EQ(window.logged("caption ").back(), "telmaq - 別のプロバイダ に接続中");
    EXPECT_EQ(left.front(), "600 秒");
    EXPECT_EQ(left.back(), "1 秒");
    EXPECT_LE(left.size(), 3u) << "no more counting from 600";
}

TEST_F(ConnectRedialTest, AClockSetBackDoesNotStretchTheWait)
{
    bool setBack = false;
    const std::vector<std::string> texts = busyThenConnect(10, [&](const std::string& left) {
        if (left == "5 秒" && !setBack)
            clock.advanceSeconds(-3600), setBack = true;
    });
    EXPECT_EQ(fake.dialParams().size(), 2u);
    for (const std::string& text : texts)
        EXPECT_LE(std::stoi(text), 10) << text;
}

TEST_F(ConnectRedialTest, CancelDuringTheWaitEndsWithoutMessageOrRedial)
{
    window.dlg.m_nRedialTry = 5;
    busyThenConnect(30, [this](const std::string&) {
        if (window.dialogOpen)
            window.cancel();
    });
    EXPECT_EQ(fake.dialParams().size(), 1u);
    EXPECT_EQ(outcome(), "dial-started button プロバイダ | cancelled button プロバイダ");
    EXPECT_EQ(fake.hungUp().size(), 1u) << "the busy line is hung up once, not again at the cancel";
}

#ifndef _WIN32 // the SQLite history and the line simulator, which the Windows build has not
TEST_F(ConnectRedialTest, AHistoryThatCannotBeWrittenChangesNothingTheUserOrTheLineSees)
{
    // A busy line redialled once, a connect, and two disconnects: what the window was told,
    // then the dials and hang-ups.
    auto session = [this](IHistory& store) {
        ConnectionControl control(window, {fake, lists, errorText, launcher, clock, store});
        for (const std::uint32_t error : {ERROR_LINE_BUSY, ERROR_LINE_BUSY, 0u})
            fake.scriptDial(error ? FakeDialupService::failingScript(error) : FakeDialupService::connectingScript());
        const std::size_t hangUps = fake.hungUp().size(), dials = fake.dialParams().size();
        oneReportPerPass();
        window.log.clear();
        control.Connect();
        control.Connect();
        control.Disconnect();
        control.Disconnect();
        window.log.push_back(std::to_string(fake.dialParams().size() - dials) + " dials, " +
                             std::to_string(fake.hungUp().size() - hangUps) + " hang-ups");
        return window.log;
    };
    SqliteHistory good(env.historyPath(), {"simulator", false});
    const std::vector<std::string> expected = session(good);
    EXPECT_EQ(expected.back(), "3 dials, 3 hang-ups");

    const std::string corrupt = (env.dir() / "corrupt.db").string();
    test::writeFile(corrupt, std::string(4096, '\xA5'));
    testing::internal::CaptureStderr();
    SqliteHistory broken(corrupt, {"simulator", false});
    EXPECT_EQ(session(broken), expected);
    EXPECT_NE(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(test::fileContents(corrupt), std::string(4096, '\xA5'));
}
#endif

void jitter(std::mt19937& random)
{
    const unsigned how = random() % 4;
    if (how == 1)
        std::this_thread::yield();
    for (volatile int spin = how == 2 ? static_cast<int>(random() % 2000) : 0; spin > 0; --spin) {
    }
    if (how == 3)
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 200));
}

// The notifier thread against the connect loop, both pausing at random: each connect must end
// on its final report (a lost one would leave the loop waiting for ever) with that report's error.
using ConnectStressTest = ConnectTest;

TEST_F(ConnectStressTest, NoFinalReportIsLostWhateverTheTiming)
{
    std::mt19937 random(77);
    std::atomic<bool> done{false};
    fake.holdReports();
    std::thread releaser([this, &done] {
        std::mt19937 pace(4242);
        while (!done.load())
            if (fake.pendingReports() == 0)
                std::this_thread::yield();
            else
                jitter(pace), fake.releaseReports(1);
    });
    window.onPass = [&](int) { jitter(random); };
    const std::uint32_t errors[] = {ERROR_NO_ANSWER, ERROR_AUTHENTICATION_FAILURE, ERROR_REMOTE_DISCONNECTION};
    int wrong = 0;
    for (int i = 0; i < kConnects && wrong == 0 && !HasFailure(); ++i) {
        Script script;
        for (int p = static_cast<int>(random() % 6); p > 0; --p)
            script.push_back({static_cast<RasConnState>(random() % 6), 0});
        const bool connects = random() % 3 != 0;
        const std::uint32_t error = errors[random() % 3];
        script.push_back({connects ? RASCS_Connected : RASCS_ConnectDevice, connects ? 0 : error});
        fake.scriptDial(script);
        window.realWaitCapMs = static_cast<int>(random() % 3);
        window.log.clear();
        connect();
        const std::vector<std::string> boxes = window.logged("error ");
        wrong += connects ? !boxes.empty() || window.lastStatus() != "Connected" : boxes != std::vector{textFor(error)};
        fake.clearConnections();
    }
    done = true;
    releaser.join();
    EXPECT_EQ(wrong, 0);
}

#ifndef _WIN32 // the line simulator and telmaq-dialup, which the Windows build has not
TEST(ConnectOnSimulatorTest, DisconnectHangsUpOurLineAndOneAnotherProcessDialled)
{
    TempEnvironment env;
    FakeClock clock;
    LineSimulator simulator(env.dialupPath());
    DialupLists lists(simulator);
    RasErrorText errorText(simulator);
    FakeProcessLauncher launcher;
    FakeDialWindow window(&clock);
    SqliteHistory history(env.historyPath(), {"simulator", false});
    ConnectionControl control(window, {simulator, lists, errorText, launcher, clock, history});
    window.dlg.m_bInteractive = true;
    window.dlg.m_strEntry = "プロバイダ";
    window.realWaitCapMs = 20;
    // telmaq-dialup plays another program of the user, on this test's files.
    auto tool = [&env](std::vector<std::string> args) {
        return runTool(TELMAQ_DIALUP_TOOL_PATH, std::move(args), env.dir()).out;
    };
    for (const char* entry : {"プロバイダ", "他社の回線"})
        tool({"add", entry, "--user", "u", "--password", "p", "--device", std::string("modem ") + entry, "--step-ms",
              "0"});

    control.Connect();
    ASSERT_EQ(window.lastStatus(), "Connected");
    const std::string dialled = tool({"dial", "他社の回線"});
    ASSERT_EQ(lists.EnumConnections(), 0u);
    ASSERT_EQ(lists.connectionCount(), 2) << dialled;
    control.Disconnect();
    EXPECT_EQ(tool({"connections"}), "") << "the other process sees them gone";
    control.Connect();
    tool({"hangup", "プロバイダ"});
    EXPECT_TRUE(window.logged("error ").empty() && window.logged("warning ").empty());
    std::vector<HistoryRow> rows;
    std::string error;
    ASSERT_TRUE(readHistory(env.historyPath(), {}, rows, error)) << error;
    std::vector<std::string> seen;
    for (const HistoryRow& row : rows)
        seen.push_back(row.event + " " + row.cause + " " + row.entry + (row.durationS ? " +" : ""));
    EXPECT_EQ(seen, (std::vector<std::string>{"dial-started button プロバイダ", "connected button プロバイダ",
                                              "dial-started command-line 他社の回線",
                                              "connected command-line 他社の回線", "hung-up button プロバイダ +",
                                              "hung-up button 他社の回線 +", "dial-started button プロバイダ",
                                              "connected button プロバイダ", "hung-up command-line プロバイダ +"}));
}
#endif

} // namespace
} // namespace telmaq::test
