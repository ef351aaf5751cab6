#include "ConnectFixture.h"

#include "connection/ConnectProcedure.h"
#include "platform/HiveTestSupport.h"
#include "platform/history/SqliteHistory.h"

#include <functional>
#include <tuple>

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

TEST_F(ConnectRedialTest, AHistoryThatCannotBeWrittenChangesNothingTheUserOrTheLineSees)
{
    // A busy line redialled once, a connect, and two disconnects: what the window was told,
    // then the dials and hang-ups.
    auto session = [this](IHistory& store) {
        ConnectionControl control(window, fake, lists, errorText, launcher, clock, store);
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

} // namespace
} // namespace telmaq::test
