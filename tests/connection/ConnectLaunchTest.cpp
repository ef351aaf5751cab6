#include "ConnectFixture.h"

namespace telmaq::test {
namespace {

class ConnectLaunchTest : public ConnectFixture
{
protected:
    ConnectLaunchTest()
    {
        window.dlg.m_bAutoApplication = true;
        window.dlg.m_strApplicationFile = "'/opt/メール/mailer' --check";
    }
};

TEST_F(ConnectLaunchTest, StartsTheApplicationOnceConnectedAndKeepsItsHandle)
{
    window.dlg.m_bInteractive = false; // a scheduled connect launches too
    connect();
    EXPECT_EQ(launcher.started, std::vector<std::string>{"'/opt/メール/mailer' --check"});
    EXPECT_NE(window.dlg.m_hProcess, kNoProcess);
    EXPECT_EQ(fake.connections().size(), 1u);
    EXPECT_TRUE(window.boxes.empty());
    // The dialog is gone before the application starts.
    EXPECT_EQ(window.events.back(), "destroy");
}

TEST_F(ConnectLaunchTest, LaunchesNothingWithoutTheOptionTheCommandOrWhileOneIsHeld)
{
    struct Case
    {
        const char* what;
        bool option;
        const char* command;
        ProcessHandle held;
    };
    const Case cases[] = {
        {"option off", false, "mailer", kNoProcess},
        {"empty command line", true, "", kNoProcess},
        {"an application still held", true, "mailer", 4242},
    };
    for (const Case& c : cases) {
        fake.clearConnections();
        window.dlg.m_bAutoApplication = c.option;
        window.dlg.m_strApplicationFile = c.command;
        window.dlg.m_hProcess = c.held;
        connect();
        EXPECT_TRUE(launcher.started.empty()) << c.what;
        EXPECT_EQ(window.dlg.m_hProcess, c.held) << c.what;
        EXPECT_TRUE(window.boxes.empty()) << c.what;
    }
}

// Hung up (after about a second) before the message only when asked to end the connection.
class FailedStartTest : public ConnectLaunchTest, public ::testing::WithParamInterface<bool>
{};

TEST_P(FailedStartTest, TellsAfterHangingUpOnlyWhenAsked)
{
    const bool hangUp = GetParam();
    launcher.failStart = true;
    window.dlg.m_bApplicationDisconnection = hangUp;
    std::size_t connectionsAtBox = 99;
    std::int64_t sleptAtBox = -1;
    window.onMessageBox = [&] {
        connectionsAtBox = fake.connections().size();
        sleptAtBox = clock.sleptMs();
    };
    connect();
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"アプリケーションを起動できませんでした"});
    EXPECT_EQ(window.boxes[0].title, "telmaq - エラー");
    EXPECT_EQ(connectionsAtBox, hangUp ? 0u : 1u);
    EXPECT_EQ(sleptAtBox, hangUp ? 1000 : 0);
    EXPECT_EQ(window.dlg.m_hProcess, kNoProcess);
}

INSTANTIATE_TEST_SUITE_P(DisconnectOnEnd, FailedStartTest, ::testing::Bool());

TEST_F(ConnectLaunchTest, AFailedListingAfterAFailedLaunchHangsUpNothingStale)
{
    launcher.failStart = true;
    window.dlg.m_bApplicationDisconnection = true;
    // The refusal check lists no connection; the listing after the failed launch fails.
    fake.onEnumConnections([this](int call) {
        if (call == 2)
            fake.failNextEnumConnections(ERROR_NOT_ENOUGH_MEMORY);
    });
    connect();
    EXPECT_TRUE(fake.hungUp().empty());
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"アプリケーションを起動できませんでした"});
}

} // namespace
} // namespace telmaq::test
