#include "ConnectFixture.h"

#include "connection/ConnectProcedure.h"
#include "connection/DialStatusText.h"

#include <functional>

namespace telmaq::test {
namespace {

using ConnectProcedureTest = ConnectFixture;

const char* const kWarningTitle = "telmaq - 警告";
const char* const kErrorTitle = "telmaq - エラー";

TEST_F(ConnectProcedureTest, RefusesWhileAnyConnectionExists)
{
    fake.addConnection("他社の回線");
    connect();
    fake.clearConnections();
    fake.failNextEnumConnections(ERROR_HARDWARE_FAILURE);
    connect();
    const std::vector<RecordedMessageBox> expected = {
        {"「他社の回線」に接続されています", kWarningTitle, MB_ICONINFORMATION},
        {textFor(ERROR_HARDWARE_FAILURE), kErrorTitle, MB_ICONEXCLAMATION}};
    EXPECT_EQ(window.boxes, expected);
    EXPECT_EQ(window.viewCount(), 0u);
    EXPECT_EQ(fake.dialCalls(), 0);
}

TEST_F(ConnectProcedureTest, OpensThePlacedDialogAndShowsEveryReport)
{
    oneReportPerPass();
    window.clientRect = {1700, 100, 2100, 400};
    connect();

    ASSERT_EQ(window.viewCount(), 1u);
    FakeConnectingView& dialog = *window.view();
    EXPECT_TRUE(dialog.placed);
    EXPECT_EQ(dialog.placedX, 1920 - 300);
    EXPECT_EQ(dialog.placedY, 250 - 40);
    EXPECT_EQ(dialog.captions, std::vector<std::string>{"telmaq - プロバイダ に接続中"});

    std::vector<std::string> expected;
    for (const FakeDialupService::Report& report : FakeDialupService::connectingScript())
        expected.push_back(dialStatusText(report.state));
    EXPECT_EQ(dialog.statusTexts, expected);
    EXPECT_TRUE(window.boxes.empty());
    expectDialogsClosedCleanly();
    EXPECT_TRUE(window.dlg.m_bKeepDialing) << "only the dialog's own Cancel clears the flag";

    // The dial went out with the stored parameters and notifier type 0; the connection stays.
    ASSERT_EQ(fake.dialCalls(), 1);
    EXPECT_STREQ(fake.dialParams()[0].szUserName, "taro");
    EXPECT_EQ(fake.dialNotifierTypes()[0], 0u);
    EXPECT_EQ(fake.connections().size(), 1u);
    EXPECT_TRUE(fake.hungUp().empty());
}

TEST_F(ConnectProcedureTest, WaitsForReportsInsteadOfSpinning)
{
    // Reports come from another thread with pauses; the loop must sleep in the window's wait
    // and be woken by each report. A wait that ran out would move the fake clock on, so an
    // unchanged clock shows that every wait was ended by a wake-up.
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
    EXPECT_EQ(window.view()->statusTexts.back(), "Connected");
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(ConnectProcedureTest, WithoutItsDialogNothingIsDialled)
{
    // The user could not cancel a dial that has no dialog.
    window.failCreateDialog = true;
    connect();
    EXPECT_EQ(fake.dialCalls(), 0);
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_FALSE(window.dlg.m_bKeepDialing);
    EXPECT_FALSE(DialNotification::instance().isActive());
}

TEST_F(ConnectProcedureTest, EntryWithoutStoredCredentialsIsNotDialled)
{
    fake.addEntry("パスワードなし", {std::string("0120"), std::string("taro"), {}, {}});
    fake.addEntry("ユーザー名なし", {std::string("0120"), {}, std::string("secret"), {}});
    for (const char* entry : {"パスワードなし", "ユーザー名なし"}) {
        window.boxes.clear();
        window.dlg.m_strEntry = entry;
        connect();
        ASSERT_EQ(window.boxes.size(), 1u) << entry;
        EXPECT_EQ(window.boxes[0].text, "ユーザー名またはパスワードが設定されていません");
        EXPECT_EQ(window.boxes[0].title, kWarningTitle);
    }
    EXPECT_EQ(fake.dialCalls(), 0);
    expectDialogsClosedCleanly();
}

TEST_F(ConnectProcedureTest, LoadAndDialFailuresCloseTheDialogFirstThenTell)
{
    fake.failNextGetParams(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
    fake.setErrorString(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, "電話帳エントリが見つかりません");
    connect();
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"電話帳エントリが見つかりません"});
    EXPECT_EQ(window.events.back(), "box:電話帳エントリが見つかりません");
    EXPECT_EQ(window.events[window.events.size() - 2], "destroy");
    EXPECT_EQ(fake.dialCalls(), 0);

    // A dial that fails may still leave a handle behind; it is hung up.
    window.boxes.clear();
    fake.failNextDial(ERROR_PORT_ALREADY_OPEN, true);
    connect();
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"通信ポートが使用中です"});
    EXPECT_EQ(fake.hungUp(), std::vector<HRASCONN>{fake.lastDialHandle()});
    // The service's own text for 676 shows only when the dial itself answers it.
    window.boxes.clear();
    fake.failNextDial(ERROR_LINE_BUSY, false);
    connect();
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"接続先が話中です"});
    EXPECT_EQ(fake.hungUp().size(), 1u) << "no handle, nothing to hang up";
    expectDialogsClosedCleanly();
}

TEST_F(ConnectProcedureTest, ReportedErrorsAndDisconnectedEndTheDial)
{
    struct Case
    {
        FakeDialupService::Script script;
        std::vector<std::string> boxes;
        bool hungUp;
    };
    const Case cases[] = {
        {FakeDialupService::failingScript(ERROR_AUTHENTICATION_FAILURE),
         {"ユーザー名またはパスワードが間違っています"},
         true},
        {FakeDialupService::failingScript(ERROR_NO_DIALTONE), {textFor(ERROR_NO_DIALTONE)}, true},
        {{{RASCS_OpenPort, 0}, {RASCS_Disconnected, 0}}, {}, false},
    };
    window.dlg.m_bAutoApplication = true;
    window.dlg.m_strApplicationFile = "mailer";
    for (const Case& c : cases) {
        window.boxes.clear();
        fake.clearConnections();
        const std::size_t hangUpsBefore = fake.hungUp().size();
        fake.scriptDial(c.script);
        connect();
        EXPECT_EQ(boxTexts(), c.boxes);
        EXPECT_EQ(fake.hungUp().size() - hangUpsBefore, c.hungUp ? 1u : 0u);
        // A report with an error never shows a status text of its own.
        EXPECT_EQ(count(window.lastView()->statusTexts, "ダイヤル中"), 0u);
    }
    EXPECT_TRUE(launcher.started.empty()) << "only a Connected end launches";
    expectDialogsClosedCleanly();
}

TEST_F(ConnectProcedureTest, CancelEndsSilentlyAndNeverTouchesTheGoneDialog)
{
    // The first call connects and launches, so the record's last state is Connected.
    window.dlg.m_bAutoApplication = true;
    window.dlg.m_strApplicationFile = "mailer";
    connect();
    ASSERT_EQ(launcher.started.size(), 1u);
    window.dlg.m_hProcess = kNoProcess;
    fake.clearConnections();

    oneReportPerPass();
    int passes = 0;
    window.onPass = [this, &passes](int) {
        if (++passes <= 3)
            releaseOne();
        else
            window.lastView()->clickCancel();
    };
    connect();
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(fake.hungUp(), std::vector<HRASCONN>{fake.lastDialHandle()});
    EXPECT_EQ(history.lines().back(), "cancelled button プロバイダ");
    EXPECT_EQ(launcher.started.size(), 1u) << "a cancelled dial never starts the application";
    EXPECT_TRUE(window.lastView()->destroyedByUser);
    EXPECT_EQ(window.lastView()->statusTexts.size(), 3u);
    expectDialogsClosedCleanly();
    EXPECT_FALSE(DialNotification::instance().isActive());

    // Cancel pumped in the pass that took Connected: the line is hung up, nothing starts.
    fake.clearConnections();
    window.onPass = [this](int) {
        if (window.lastView()->statusTexts.empty() || window.lastView()->statusTexts.back() != "Connected")
            releaseOne();
        else if (!window.lastView()->destroyed)
            window.lastView()->clickCancel();
    };
    connect();
    EXPECT_EQ(window.lastView()->statusTexts.back(), "Connected");
    EXPECT_TRUE(window.lastView()->destroyedByUser);
    EXPECT_TRUE(fake.connections().empty());
    EXPECT_EQ(launcher.started.size(), 1u) << "cancelled in the pass that took Connected";
}

TEST_F(ConnectProcedureTest, QuittingHangsUpAndClosesWithoutAWord)
{
    oneReportPerPass();
    window.onPass = [this](int pass) {
        if (pass <= 2)
            releaseOne();
        else
            window.quitting = true;
    };
    connect();
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(fake.hungUp(), std::vector<HRASCONN>{fake.lastDialHandle()});
    EXPECT_EQ(history.lines(),
              (std::vector<std::string>{"dial-started button プロバイダ", "cancelled button プロバイダ"}));
    EXPECT_FALSE(window.view()->destroyedByUser);
    expectDialogsClosedCleanly();
}

TEST_F(ConnectProcedureTest, AScheduledConnectIsSilentWhateverGoesWrongButLeavesItsTraceInTheHistory)
{
    window.dlg.m_bInteractive = false;
    window.dlg.m_historyCause = HistoryCause::Schedule;
    window.dlg.m_bAutoApplication = true;
    window.dlg.m_bApplicationDisconnection = true;
    window.dlg.m_strApplicationFile = "/no/such/program";
    launcher.failStart = true;
    fake.addEntry("パスワードなし", {std::string("0120"), std::string("taro"), {}, {}});

    const std::vector<std::function<void()>> failures = {
        [&] { fake.addConnection("他社の回線"); },
        [&] { fake.failNextEnumConnections(ERROR_HARDWARE_FAILURE); },
        [&] { fake.failNextGetParams(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY); },
        [&] { window.dlg.m_strEntry = "パスワードなし"; },
        [&] { fake.failNextDial(ERROR_PORT_ALREADY_OPEN, true); },
        [&] { fake.scriptDial(FakeDialupService::failingScript(ERROR_LINE_BUSY)); },
        [&] { fake.scriptDial(FakeDialupService::failingScript(ERROR_NO_ANSWER)); },
        [&] {}, // connects, then the application cannot be started
    };
    for (const auto& failure : failures) {
        fake.clearConnections();
        window.dlg.m_strEntry = kEntry;
        failure();
        connect();
    }
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(launcher.started.size(), 1u);
    EXPECT_TRUE(fake.connections().empty()) << "the failed launch still hangs up";
    expectDialogsClosedCleanly();
    const std::vector<std::string> recorded = {
        "failed schedule プロバイダ 630", // the listing failed; a line already up is no failure
        "failed schedule プロバイダ 623",   "failed schedule パスワードなし",   "dial-started schedule プロバイダ",
        "failed schedule プロバイダ 602",   "dial-started schedule プロバイダ", "failed schedule プロバイダ 676",
        "dial-started schedule プロバイダ", "failed schedule プロバイダ 678",   "dial-started schedule プロバイダ",
        "connected schedule プロバイダ",    "app-failed schedule プロバイダ",   "hung-up application-end プロバイダ",
    };
    EXPECT_EQ(history.lines(), recorded);
}

} // namespace
} // namespace telmaq::test
