#include "ConnectFixture.h"

#include "connection/ConnectProcedure.h"
#include "platform/HiveTestSupport.h"
#include "platform/history/SqliteHistory.h"

#include <iterator>

namespace telmaq::test {
namespace {

// A line that is always busy, redialled after a short wait.
class ConnectRedialTest : public ConnectFixture
{
protected:
    ConnectRedialTest()
    {
        fake.setDefaultScript(FakeDialupService::failingScript(ERROR_LINE_BUSY));
        window.dlg.m_bRedial = true;
        window.dlg.m_nRedialWait = 3;
        // Countdown waits run out at once and move the fake clock on.
        window.realWaitCapMs = 0;
    }
};

TEST_F(ConnectRedialTest, OnlyABusyLineIsRedialledAsOftenAsTheTriesAllow)
{
    struct Case
    {
        bool redial;
        std::int32_t tries;
        std::int32_t wait;
        std::uint32_t error;
        int dials;
    };
    const Case cases[] = {{true, 2, 3, ERROR_LINE_BUSY, 3},  {true, 0, 3, ERROR_LINE_BUSY, 1},
                          {true, -1, 3, ERROR_LINE_BUSY, 1}, {false, 5, 3, ERROR_LINE_BUSY, 1},
                          {true, 1, 0, ERROR_LINE_BUSY, 2},  {true, 3, 3, ERROR_NO_ANSWER, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE("redial " + std::to_string(c.redial) + ", tries " + std::to_string(c.tries) + ", wait " +
                     std::to_string(c.wait) + ", error " + std::to_string(c.error));
        window.boxes.clear();
        window.dlg.m_bRedial = c.redial;
        window.dlg.m_nRedialTry = c.tries;
        window.dlg.m_nRedialWait = c.wait;
        fake.setDefaultScript(FakeDialupService::failingScript(c.error));
        const std::size_t hangUpsBefore = fake.hungUp().size();
        const std::size_t handlesBefore = fake.handlesAtDial().size();
        const std::size_t historyBefore = history.lines().size();
        connect();

        std::vector<std::string> recorded = {"dial-started button プロバイダ"};
        recorded.insert(recorded.end(), static_cast<std::size_t>(c.dials - 1), "redial button プロバイダ");
        recorded.push_back("failed button プロバイダ " + std::to_string(c.error));
        const std::vector<std::string> lines = history.lines();
        EXPECT_EQ(std::vector<std::string>(lines.begin() + historyBefore, lines.end()), recorded);

        EXPECT_EQ(fake.handlesAtDial().size() - handlesBefore, static_cast<std::size_t>(c.dials))
            << "dials";
        const auto handles = fake.handlesAtDial();
        EXPECT_EQ(std::vector<HRASCONN>(handles.begin() + handlesBefore, handles.end()), std::vector<HRASCONN>(static_cast<std::size_t>(c.dials), kNoConnection))
            << "dials from empty handles";
        EXPECT_EQ(fake.hungUp().size() - hangUpsBefore, static_cast<std::size_t>(c.dials)) << "each line once";
        EXPECT_TRUE(fake.connections().empty());
        ASSERT_EQ(window.boxes.size(), 1u);
        EXPECT_EQ(window.boxes[0].text, c.error == ERROR_LINE_BUSY ? "話中です" : textFor(c.error));
        EXPECT_EQ(window.boxes[0].title, c.error == ERROR_LINE_BUSY ? "telmaq - 警告" : "telmaq - エラー");
        const std::vector<std::string>& texts = window.lastView()->statusTexts;
        // The waits count the busy results met so far: 1, then 2; a wait of 0 shows none.
        for (int n = 1; n < c.dials; ++n)
            EXPECT_EQ(count(texts, "ダイヤル " + std::to_string(n) + "\n") > 0, c.wait > 0) << "wait " << n;
        EXPECT_EQ(count(texts, "ダイヤル " + std::to_string(c.dials) + "\n"), 0u);
        EXPECT_EQ(window.lastView()->captions.size(), static_cast<std::size_t>(c.dials)) << "caption every dial";
    }
    EXPECT_EQ(window.viewCount(), std::size(cases)) << "one dialog per connect";
    expectDialogsClosedCleanly();
}

TEST_F(ConnectRedialTest, CountdownSwitchesFormAfterSixtySecondsWaited)
{
    window.dlg.m_nRedialTry = 1;
    window.dlg.m_nRedialWait = 75;
    fake.scriptDial(FakeDialupService::failingScript(ERROR_LINE_BUSY));
    fake.scriptDial(FakeDialupService::connectingScript());
    connect();

    std::vector<std::string> expected;
    for (int remaining = 75; remaining >= 16; --remaining)
        expected.push_back("ダイヤル 1\nリダイヤルまであと " + std::to_string(remaining) + " 秒");
    for (int remaining = 15; remaining >= 1; --remaining)
        expected.push_back("ダイヤル 1\nリダイヤルまであと 0 分 " + std::to_string(remaining) + " 秒");
    // Each second's text is painted once, although the loop passes ten times a second.
    const std::vector<std::string>& texts = window.view()->statusTexts;
    std::vector<std::string> countdown;
    for (const std::string& text : texts)
        if (text.rfind("ダイヤル 1\n", 0) == 0)
            countdown.push_back(text);
    EXPECT_EQ(countdown, expected);
    EXPECT_EQ(texts.back(), "Connected");
    EXPECT_EQ(fake.dialCalls(), 2);
    EXPECT_TRUE(window.boxes.empty());

    // The wait is spent in the window's event wait, never in a sleep or a spin: about ten
    // passes a second, and plain pumps only where no wait belongs.
    EXPECT_GE(window.waitsByMs[ConnectProcedure::kCountdownWaitMs], 740);
    EXPECT_EQ(clock.sleptMs(), 0);
    EXPECT_LE(window.pumps, 3);
}

TEST_F(ConnectRedialTest, SettingsAndEntryAreReadAtTheMomentOfUse)
{
    fake.addEntry("別のプロバイダ", {std::string("0120"), std::string("jiro"), std::string("pw"), {}});
    window.dlg.m_nRedialTry = 1;
    window.dlg.m_nRedialWait = 600;
    fake.scriptDial(FakeDialupService::failingScript(ERROR_LINE_BUSY));
    fake.scriptDial(FakeDialupService::connectingScript());
    // During the wait the tick picks up new redial settings and the user picks another entry.
    window.onPass = [this](int) {
        const std::vector<std::string>& texts = window.view()->statusTexts;
        if (!texts.empty() && texts.back().rfind("ダイヤル 1\n", 0) == 0) {
            window.dlg.m_nRedialWait = 2;
            window.dlg.m_strEntry = "別のプロバイダ";
        }
    };
    connect();
    ASSERT_EQ(fake.dialCalls(), 2);
    EXPECT_STREQ(fake.dialParams()[1].szEntryName, "別のプロバイダ");
    EXPECT_EQ(window.view()->captions.back(), "telmaq - 別のプロバイダ に接続中");
    // Only the first text still counted from 600; the rest from the new wait of 2.
    const std::vector<std::string>& texts = window.view()->statusTexts;
    EXPECT_GT(count(texts, "ダイヤル 1\nリダイヤルまであと 600 秒"), 0u);
    EXPECT_EQ(count(texts, "ダイヤル 1\nリダイヤルまであと 599 秒"), 0u);
    EXPECT_GT(count(texts, "ダイヤル 1\nリダイヤルまであと 1 秒"), 0u);
}

TEST_F(ConnectRedialTest, CancelDuringTheWaitEndsWithoutMessageOrRedial)
{
    window.dlg.m_nRedialTry = 5;
    window.dlg.m_nRedialWait = 30;
    window.onPass = [this](int) {
        FakeConnectingView* dialog = window.lastView();
        if (!dialog->statusTexts.empty() && dialog->statusTexts.back().rfind("ダイヤル 1\n", 0) == 0)
            dialog->clickCancel();
    };
    connect();
    EXPECT_EQ(fake.dialCalls(), 1);
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(fake.hungUp().size(), 1u) << "the busy line is hung up once, not again at the cancel";
    EXPECT_TRUE(window.view()->destroyedByUser);
    EXPECT_EQ(window.view()->usedAfterDestroy, 0);
}

TEST_F(ConnectRedialTest, AClockSetBackDoesNotStretchTheWait)
{
    window.dlg.m_nRedialTry = 1;
    window.dlg.m_nRedialWait = 10;
    fake.scriptDial(FakeDialupService::failingScript(ERROR_LINE_BUSY));
    fake.scriptDial(FakeDialupService::connectingScript());
    bool setBack = false;
    window.onPass = [&](int) {
        const std::vector<std::string>& texts = window.view()->statusTexts;
        if (!setBack && !texts.empty() && texts.back() == "ダイヤル 1\nリダイヤルまであと 5 秒") {
            clock.advanceSeconds(-3600);
            setBack = true;
        }
    };
    connect();
    ASSERT_TRUE(setBack);
    EXPECT_EQ(fake.dialCalls(), 2);
    const std::string prefix = "ダイヤル 1\nリダイヤルまであと ";
    for (const std::string& text : window.view()->statusTexts)
        if (text.rfind(prefix, 0) == 0) {
            EXPECT_LE(std::stoi(text.substr(prefix.size())), 10) << text;
        }
}

TEST_F(ConnectRedialTest, AHistoryThatCannotBeWrittenChangesNothingTheUserOrTheLineSees)
{
    // A busy line redialled once, a connect that succeeds, and two disconnects: the dials,
    // hang-ups, texts and messages are the same whatever state the history file is in.
    auto session = [this](IHistory& store) {
        ConnectionControl control(window, fake, lists, errorText, launcher, clock, store);
        window.boxes.clear();
        window.dlg.m_nRedialTry = 1;
        fake.scriptDial(FakeDialupService::failingScript(ERROR_LINE_BUSY));
        fake.scriptDial(FakeDialupService::failingScript(ERROR_LINE_BUSY));
        fake.scriptDial(FakeDialupService::connectingScript());
        const std::size_t hangUpsBefore = fake.hungUp().size();
        const int dialsBefore = fake.dialCalls();
        oneReportPerPass();
        std::vector<std::string> seen;
        for (int i = 0; i < 2; ++i) {
            control.Connect();
            seen.insert(seen.end(), window.lastView()->statusTexts.begin(), window.lastView()->statusTexts.end());
        }
        control.Disconnect();
        control.Disconnect();
        const std::vector<std::string> boxes = boxTexts();
        seen.insert(seen.end(), boxes.begin(), boxes.end());
        seen.push_back(std::to_string(fake.dialCalls() - dialsBefore) + " dials, " +
                       std::to_string(fake.hungUp().size() - hangUpsBefore) + " hang-ups");
        return seen;
    };
    SqliteHistory good(env.historyPath(), {"simulator", false});
    const std::vector<std::string> expected = session(good);
    std::vector<HistoryRow> rows;
    std::string error;
    ASSERT_TRUE(readHistory(env.historyPath(), {}, rows, error));
    EXPECT_EQ(rows.size(), 6u);
    EXPECT_EQ(expected.back(), "3 dials, 3 hang-ups");

    const std::string corrupt = (env.dir() / "corrupt.db").string();
    test::writeFile(corrupt, std::string(4096, '\xA5'));
    testing::internal::CaptureStderr();
    SqliteHistory broken(corrupt, {"simulator", false});
    EXPECT_EQ(session(broken), expected);
    EXPECT_NE(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(test::fileContents(corrupt), std::string(4096, '\xA5'));
}

} // namespace
} // namespace telmaq::test
