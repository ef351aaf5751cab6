#include "ConnectFixture.h"

#include "connection/ConnectProcedure.h"
#include "connection/DialStatusText.h"

#include <functional>
#include <tuple>

namespace telmaq::test {
namespace {

using ConnectTest = ConnectFixture;

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
        {[&] { fake.scriptDial(FakeDialupService::failingScript(ERROR_NO_ANSWER)); }, "error " + textFor(ERROR_NO_ANSWER) + " | " + dialled + "failed % プロバイダ 678 | 1 1 2 0"},
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
        const std::size_t started = launcher.started.size();
        connect();
        const std::vector<std::string> boxes = window.logged("error ");
        EXPECT_EQ(std::to_string(boxes.size()) + " " + atBox, expected);
        EXPECT_EQ(boxes, std::vector<std::string>(boxes.size(), "アプリケーションを起動できませんでした"));
        EXPECT_EQ(launcher.started.size() - started, fails ? 1u : 0u);
        EXPECT_EQ(window.dlg.m_hProcess, held);
    }
    fake.onEnumConnections(nullptr);
}

using DisconnectTest = ConnectFixture;

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

} // namespace
} // namespace telmaq::test
