#include "ConnectFixture.h"

#include "platform/dialup/LineSimulator.h"
#include "platform/history/SqliteHistory.h"
#include "tools/ToolRun.h"

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

} // namespace
} // namespace telmaq::test
