#include "ConnectFixture.h"

#include "connection/ConnectProcedure.h"
#include "platform/HiveTestSupport.h"
#include "platform/history/SqliteHistory.h"

#include <algorithm>
#include <functional>

namespace telmaq::test {
namespace {

// A line that is always busy, redialled after a short wait whose countdown runs out at once.
class ConnectRedialTest : public ConnectFixture
{
protected:
    ConnectRedialTest()
    {
        fake.setDefaultScript(FakeDialupService::failingScript(ERROR_LINE_BUSY));
        window.dlg.m_bRedial = true;
        window.dlg.m_nRedialTry = 1;
        window.realWaitCapMs = 0;
    }
    // Busy once, then connects; act sees each countdown text of the first wait.
    void busyThenConnect(std::int32_t wait, std::function<void(const std::string& left)> act = nullptr)
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
    }
    static constexpr const char* kWaiting = "ダイヤル 1\nリダイヤルまであと ";
};

TEST_F(ConnectRedialTest, OnlyABusyLineIsRedialledAsOftenAsTheTriesAllow)
{
    struct Case
    {
        bool redial;
        std::int32_t tries, wait;
        std::uint32_t error;
        int dials;
    };
    const Case cases[] = {{true, 2, 3, ERROR_LINE_BUSY, 3},  {true, 0, 3, ERROR_LINE_BUSY, 1},
                          {true, -1, 3, ERROR_LINE_BUSY, 1}, {false, 5, 3, ERROR_LINE_BUSY, 1},
                          {true, 1, 0, ERROR_LINE_BUSY, 2},  {true, 3, 3, ERROR_NO_ANSWER, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.redial) + " " + std::to_string(c.tries) + " " + std::to_string(c.wait));
        window.dlg.m_bRedial = c.redial;
        window.dlg.m_nRedialTry = c.tries;
        window.dlg.m_nRedialWait = c.wait;
        fake.setDefaultScript(FakeDialupService::failingScript(c.error));
        const std::size_t hangUps = fake.hungUp().size(), handles = fake.handlesAtDial().size();
        connect();
        const auto dials = static_cast<std::size_t>(c.dials);
        std::string expected = c.error == ERROR_LINE_BUSY ? "warning 話中です" : "error " + textFor(c.error);
        expected += " | dial-started button プロバイダ";
        for (std::size_t n = 1; n < dials; ++n)
            expected += " | redial button プロバイダ";
        expected += " | failed button プロバイダ " + std::to_string(c.error);
        const std::vector<std::string> texts = window.logged("status ダイヤル ");
        const std::vector<std::string> captions = window.logged("caption ");
        EXPECT_EQ(outcome(), expected);
        // A new dial starts from an empty handle, and each line is hung up once.
        EXPECT_EQ(fake.handlesAtDial(), std::vector<HRASCONN>(handles + dials, kNoConnection));
        EXPECT_EQ(fake.hungUp().size() - hangUps, dials);
        EXPECT_TRUE(fake.connections().empty());
        // The waits count the busy results met so far: 1, then 2; a wait of 0 shows none.
        std::size_t waits = 0;
        for (std::size_t n = 1; n < dials; ++n)
            waits += std::count_if(texts.begin(), texts.end(),
                                   [&](const std::string& t) { return t.rfind(std::to_string(n) + "\n", 0) == 0; }) > 0;
        EXPECT_EQ(waits, c.wait > 0 ? dials - 1 : 0);
        EXPECT_EQ(captions.size(), dials) << "a caption every dial";
    }
    EXPECT_EQ(window.dialogs(), std::size(cases)) << "one dialog per connect";
}

TEST_F(ConnectRedialTest, CountdownSwitchesFormAfterSixtySecondsWaitedAndPaintsEachSecondOnce)
{
    busyThenConnect(75);
    std::vector<std::string> expected;
    for (int left = 75; left >= 1; --left)
        expected.push_back(left > 15 ? std::to_string(left) + " 秒" : "0 分 " + std::to_string(left) + " 秒");
    EXPECT_EQ(window.logged(std::string("status ") + kWaiting), expected);
    EXPECT_EQ(window.lastStatus(), "Connected");
    // Spent in the window's event wait, about ten passes a second, never in a sleep or a spin.
    EXPECT_GE(window.waitsByMs[ConnectProcedure::kCountdownWaitMs], 740);
    EXPECT_EQ(clock.sleptMs(), 0);
    EXPECT_LE(window.pumps, 3);
}

TEST_F(ConnectRedialTest, SettingsAndEntryAreReadAtTheMomentOfUse)
{
    fake.addEntry("別のプロバイダ", {std::string("0120"), std::string("jiro"), std::string("pw"), {}});
    busyThenConnect(600, [this](const std::string&) {
        window.dlg.m_nRedialWait = 2;
        window.dlg.m_strEntry = "別のプロバイダ";
    });
    EXPECT_STREQ(fake.dialParams().at(1).szEntryName, "別のプロバイダ");
    EXPECT_EQ(window.logged("caption ").back(), "telmaq - 別のプロバイダ に接続中");
    const std::vector<std::string> left = window.logged(std::string("status ") + kWaiting);
    EXPECT_EQ(left.front(), "600 秒");
    EXPECT_EQ(left.back(), "1 秒");
    EXPECT_LE(left.size(), 3u) << "no more counting from 600";
}

TEST_F(ConnectRedialTest, AClockSetBackDoesNotStretchTheWait)
{
    bool setBack = false;
    busyThenConnect(10, [&](const std::string& left) {
        if (left == "5 秒" && !setBack)
            clock.advanceSeconds(-3600), setBack = true;
    });
    EXPECT_EQ(fake.dialCalls(), 2);
    for (const std::string& left : window.logged(std::string("status ") + kWaiting))
        EXPECT_LE(std::stoi(left), 10) << left;
}

TEST_F(ConnectRedialTest, CancelDuringTheWaitEndsWithoutMessageOrRedial)
{
    window.dlg.m_nRedialTry = 5;
    busyThenConnect(30, [this](const std::string&) {
        if (window.dialogOpen())
            window.cancel();
    });
    EXPECT_EQ(fake.dialCalls(), 1);
    EXPECT_EQ(outcome(), "dial-started button プロバイダ | cancelled button プロバイダ");
    EXPECT_EQ(fake.hungUp().size(), 1u) << "the busy line is hung up once, not again at the cancel";
}

TEST_F(ConnectRedialTest, AHistoryThatCannotBeWrittenChangesNothingTheUserOrTheLineSees)
{
    // A busy line redialled once, a connect, and two disconnects.
    auto session = [this](IHistory& store) {
        ConnectionControl control(window, fake, lists, errorText, launcher, clock, store);
        fake.scriptDial(FakeDialupService::failingScript(ERROR_LINE_BUSY));
        fake.scriptDial(FakeDialupService::failingScript(ERROR_LINE_BUSY));
        fake.scriptDial(FakeDialupService::connectingScript());
        const std::size_t hangUps = fake.hungUp().size();
        const int dials = fake.dialCalls();
        oneReportPerPass();
        window.log.clear();
        control.Connect();
        control.Connect();
        control.Disconnect();
        control.Disconnect();
        window.log.push_back(std::to_string(fake.dialCalls() - dials) + " dials, " +
                             std::to_string(fake.hungUp().size() - hangUps) + " hang-ups");
        return window.log;
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
