#include "ConnectFixture.h"

#include "connection/ConnectProcedure.h"

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

    // The distinct texts in the order first shown.
    std::vector<std::string> distinctStatusTexts()
    {
        std::vector<std::string> texts;
        for (const std::string& text : window.view()->statusTexts)
            if (texts.empty() || texts.back() != text)
                texts.push_back(text);
        return texts;
    }
};

TEST_F(ConnectRedialTest, BusyLineIsRedialledAsOftenAsTheTriesAllow)
{
    struct Case
    {
        bool redial;
        std::int32_t tries;
        int dials;
    };
    const Case cases[] = {{true, 2, 3}, {true, 0, 1}, {true, -1, 1}, {false, 5, 1}, {false, -3, 1}};
    for (const Case& c : cases) {
        FakeDialWindow& w = window;
        w.boxes.clear();
        w.dlg.m_bRedial = c.redial;
        w.dlg.m_nRedialTry = c.tries;
        const int dialsBefore = fake.dialCalls();
        const std::size_t viewsBefore = w.viewCount();
        connect();

        const std::string what = "redial " + std::to_string(c.redial) + ", tries " + std::to_string(c.tries);
        EXPECT_EQ(fake.dialCalls() - dialsBefore, c.dials) << what;
        ASSERT_EQ(w.boxes.size(), 1u) << what;
        EXPECT_EQ(w.boxes[0].text, "話中です") << what;
        EXPECT_EQ(w.boxes[0].title, "telmaq - 警告") << what;
        ASSERT_EQ(w.viewCount(), viewsBefore + 1) << "one dialog per connect";
        const std::vector<std::string>& texts = w.lastView()->statusTexts;
        // The waits count the busy results met so far: 1, then 2.
        for (int n = 1; n < c.dials; ++n)
            EXPECT_GT(count(texts, "ダイヤル " + std::to_string(n) + "\n"), 0u) << what << ", wait " << n;
        EXPECT_EQ(count(texts, "ダイヤル " + std::to_string(c.dials) + "\n"), 0u) << what;
        EXPECT_EQ(w.lastView()->captions.size(), static_cast<std::size_t>(c.dials)) << "caption set for every dial";
    }
    expectDialogsClosedCleanly();
}

TEST_F(ConnectRedialTest, EveryRedialStartsFromAnEmptyHandleAndEachLineIsHungUpOnce)
{
    window.dlg.m_nRedialTry = 2;
    connect();
    ASSERT_EQ(service.handlesAtDial.size(), 3u);
    for (HRASCONN handle : service.handlesAtDial)
        EXPECT_EQ(handle, kNoConnection);
    const std::vector<HRASCONN> hungUp = fake.hungUp();
    ASSERT_EQ(hungUp.size(), 3u);
    EXPECT_NE(hungUp[0], hungUp[1]);
    EXPECT_NE(hungUp[1], hungUp[2]);
    EXPECT_EQ(hungUp[2], fake.lastDialHandle());
    EXPECT_TRUE(fake.connections().empty());
}

TEST_F(ConnectRedialTest, OtherErrorsAreNeverRedialled)
{
    window.dlg.m_nRedialTry = 3;
    fake.setDefaultScript(FakeDialupService::failingScript(ERROR_NO_ANSWER));
    connect();
    EXPECT_EQ(fake.dialCalls(), 1);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"接続先のモデムが応答しないか、接続先がモデムではありません"});
    EXPECT_EQ(window.boxes[0].title, "telmaq - エラー");
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

TEST_F(ConnectRedialTest, ZeroWaitRedialsAtTheNextPassWithoutCountdown)
{
    window.dlg.m_nRedialTry = 1;
    window.dlg.m_nRedialWait = 0;
    connect();
    EXPECT_EQ(fake.dialCalls(), 2);
    EXPECT_EQ(count(window.view()->statusTexts, "ダイヤル"), 0u);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"話中です"});
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
    const std::vector<std::string> texts = distinctStatusTexts();
    EXPECT_EQ(count(texts, "ダイヤル 1\nリダイヤルまであと 600 秒"), 1u);
    EXPECT_EQ(count(texts, "ダイヤル 1\nリダイヤルまであと 599 秒"), 0u);
    EXPECT_EQ(count(texts, "ダイヤル 1\nリダイヤルまであと 1 秒"), 1u);
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
    for (const std::string& text : window.view()->statusTexts)
        EXPECT_EQ(text.find("分"), std::string::npos) << text;
}

} // namespace
} // namespace telmaq::test
