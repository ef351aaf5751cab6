#include "connection/ConnectionControl.h"
#include "dialup/DialupLists.h"
#include "dialup/RasErrorText.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDialWindow.h"
#include "fakes/FakeProcessLauncher.h"
#include "platform/dialup/LineSimulator.h"
#include "platform/history/SqliteHistory.h"
#include "support/TempEnvironment.h"
#include "tools/ToolRun.h"

#include <gtest/gtest.h>

namespace telmaq::test {
namespace {

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
    ConnectionControl control(window, simulator, lists, errorText, launcher, clock, history);
    window.dlg.m_bInteractive = true;
    window.dlg.m_bConnecting = true;
    window.realWaitCapMs = 20;
    // telmaq-dialup plays another program of the user, on this test's files.
    auto tool = [&env](std::vector<std::string> args) {
        return runTool(TELMAQ_DIALUP_TOOL_PATH, std::move(args), env.dir()).out;
    };
    tool({"add", "プロバイダ", "--user", "u", "--password", "p", "--device", "modem0", "--step-ms", "0"});
    tool({"add", "他社の回線", "--user", "u", "--password", "p", "--device", "modem1", "--step-ms", "0"});

    window.dlg.m_strEntry = "プロバイダ";
    control.Connect();
    ASSERT_TRUE(window.boxes.empty()) << window.boxes[0].text;
    ASSERT_EQ(window.view()->statusTexts.back(), "Connected");
    const std::string dialled = tool({"dial", "他社の回線"});
    ASSERT_EQ(lists.EnumConnections(), 0u);
    ASSERT_EQ(lists.connectionCount(), 2) << dialled;

    control.Disconnect();
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(lists.EnumConnections(), 0u);
    EXPECT_EQ(lists.connectionCount(), 0);
    EXPECT_EQ(tool({"connections"}), "") << "the other process sees them gone";

    control.Connect();
    tool({"hangup", "プロバイダ"});
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

} // namespace
} // namespace telmaq::test
