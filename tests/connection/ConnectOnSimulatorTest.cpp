#include "connection/ConnectionControl.h"
#include "dialup/DialupLists.h"
#include "dialup/RasErrorText.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDialWindow.h"
#include "fakes/FakeProcessLauncher.h"
#include "platform/dialup/LineSimulator.h"
#include "platform/process/PosixProcessLauncher.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace telmaq::test {
namespace {

// The procedures against the real line simulator, with telmaq-dialup playing the other
// programs of the user that dial and list connections in the same shared file.
class ConnectOnSimulatorTest : public ::testing::Test
{
protected:
    ConnectOnSimulatorTest()
        : simulator(env.dialupPath()), lists(simulator), errorText(simulator), window(&clock),
          control(window, simulator, lists, errorText, launcher, clock)
    {
        window.dlg.m_bInteractive = true;
        window.dlg.m_bConnecting = true;
        // Reports end the waits; a wait that runs out moves the fake clock through countdowns.
        window.realWaitCapMs = 20;
    }

    // Runs telmaq-dialup on this test's files and waits for it to end; answers its output.
    std::string tool(const std::string& arguments)
    {
        const std::string out = (env.dir() / "tool.out").string();
        const std::string line =
            "sh -c '\"$0\" \"$@\" > \"$TOOL_OUT\" 2>&1' '" TELMAQ_DIALUP_TOOL_PATH "' " + arguments;
        ::setenv("TOOL_OUT", out.c_str(), 1);
        std::string error;
        const ProcessHandle process = processes.start(line, &error);
        ::unsetenv("TOOL_OUT");
        EXPECT_NE(process, kNoProcess) << error;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (!processes.hasEnded(process) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        processes.close(process);
        std::ifstream in(out);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::int32_t activeConnections()
    {
        EXPECT_EQ(lists.EnumConnections(), 0u);
        return lists.connectionCount();
    }

    TempEnvironment env;
    FakeClock clock;
    LineSimulator simulator;
    DialupLists lists;
    RasErrorText errorText;
    FakeProcessLauncher launcher;
    FakeDialWindow window;
    ConnectionControl control;
    PosixProcessLauncher processes;
};

TEST_F(ConnectOnSimulatorTest, DisconnectHangsUpOurLineAndOneAnotherProcessDialled)
{
    tool("add 'プロバイダ' --user taro --password pw --device modem0 --step-ms 0");
    tool("add '他社の回線' --user jiro --password pw --device modem1 --step-ms 0");

    window.dlg.m_strEntry = "プロバイダ";
    control.Connect();
    ASSERT_TRUE(window.boxes.empty()) << window.boxes[0].text;
    ASSERT_EQ(window.view()->statusTexts.back(), "Connected");

    const std::string dialled = tool("dial '他社の回線'");
    ASSERT_EQ(activeConnections(), 2) << dialled;
    EXPECT_NE(tool("connections").find("他社の回線"), std::string::npos);

    control.Disconnect();
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(activeConnections(), 0);
    EXPECT_EQ(tool("connections").find("他社の回線"), std::string::npos) << "the other process sees it gone";

    control.Disconnect();
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "接続されていません");
    window.dlg.m_bInteractive = false;
    control.Disconnect();
    EXPECT_EQ(window.boxes.size(), 1u);
}

TEST_F(ConnectOnSimulatorTest, ABusyLineIsRedialledAndConnects)
{
    tool("add 'プロバイダ' --user taro --password pw --line busy:1 --step-ms 0");
    window.dlg.m_strEntry = "プロバイダ";
    window.dlg.m_bRedial = true;
    window.dlg.m_nRedialTry = 1;
    window.dlg.m_nRedialWait = 5;
    window.dlg.m_bAutoApplication = true;
    window.dlg.m_strApplicationFile = "mailer";
    control.Connect();

    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(window.view()->captions.size(), 2u);
    EXPECT_EQ(window.view()->statusTexts.back(), "Connected");
    EXPECT_EQ(launcher.started, std::vector<std::string>{"mailer"});
    EXPECT_EQ(activeConnections(), 1) << "the busy attempt left no line behind";
    control.Disconnect();
}

TEST_F(ConnectOnSimulatorTest, AConnectionOfAnotherProcessRefusesTheConnect)
{
    tool("add '他社の回線' --user jiro --password pw --step-ms 0");
    tool("dial '他社の回線'");
    window.dlg.m_strEntry = "他社の回線";
    control.Connect();
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "「他社の回線」に接続されています");
    EXPECT_EQ(window.viewCount(), 0u);
    control.Disconnect();
    EXPECT_EQ(activeConnections(), 0);
}

} // namespace
} // namespace telmaq::test
