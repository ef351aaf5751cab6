#include "connection/ConnectionControl.h"
#include "dialup/DialupLists.h"
#include "dialup/RasErrorText.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDialWindow.h"
#include "fakes/FakeProcessLauncher.h"
#include "platform/dialup/LineSimulator.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace telmaq::test {
namespace {

// Runs telmaq-dialup, as another program of the user, on this test's files; answers its output.
std::string tool(const std::string& arguments)
{
    std::string output;
    FILE* pipe = ::popen(("'" TELMAQ_DIALUP_TOOL_PATH "' " + arguments + " 2>&1").c_str(), "r");
    if (!pipe)
        return "cannot run telmaq-dialup";
    char buffer[256];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    ::pclose(pipe);
    return output;
}

TEST(ConnectOnSimulatorTest, DisconnectHangsUpOurLineAndOneAnotherProcessDialled)
{
    TempEnvironment env;
    FakeClock clock;
    LineSimulator simulator(env.dialupPath());
    DialupLists lists(simulator);
    RasErrorText errorText(simulator);
    FakeProcessLauncher launcher;
    FakeDialWindow window(&clock);
    ConnectionControl control(window, simulator, lists, errorText, launcher, clock);
    window.dlg.m_bInteractive = true;
    window.dlg.m_bConnecting = true;
    window.realWaitCapMs = 20;
    tool("add 'プロバイダ' --user taro --password pw --device modem0 --step-ms 0");
    tool("add '他社の回線' --user jiro --password pw --device modem1 --step-ms 0");

    window.dlg.m_strEntry = "プロバイダ";
    control.Connect();
    ASSERT_TRUE(window.boxes.empty()) << window.boxes[0].text;
    ASSERT_EQ(window.view()->statusTexts.back(), "Connected");
    const std::string dialled = tool("dial '他社の回線'");
    ASSERT_EQ(lists.EnumConnections(), 0u);
    ASSERT_EQ(lists.connectionCount(), 2) << dialled;

    control.Disconnect();
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(lists.EnumConnections(), 0u);
    EXPECT_EQ(lists.connectionCount(), 0);
    EXPECT_EQ(tool("connections"), "") << "the other process sees them gone";
}

} // namespace
} // namespace telmaq::test
