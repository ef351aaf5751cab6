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

TEST_F(ConnectLaunchTest, OnlyAConnectedEndLaunches)
{
    fake.scriptDial({{RASCS_OpenPort, 0}, {RASCS_Disconnected, 0}});
    fake.scriptDial(FakeDialupService::failingScript(ERROR_REMOTE_DISCONNECTION));
    connect();
    fake.clearConnections(); // the line that reported Disconnected is gone
    connect();
    EXPECT_TRUE(launcher.started.empty());
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"サーバーに接続を切られました"});
}

TEST_F(ConnectLaunchTest, AProgramThatCannotStartHangsUpAfterASecondThenTells)
{
    launcher.failStart = true;
    window.dlg.m_bApplicationDisconnection = true;
    std::size_t connectionsAtBox = 99;
    std::int64_t sleptAtBox = -1;
    window.onMessageBox = [&](const RecordedMessageBox&) {
        connectionsAtBox = fake.connections().size();
        sleptAtBox = clock.sleptMs();
    };
    connect();
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"アプリケーションを起動できませんでした"});
    EXPECT_EQ(window.boxes[0].title, "telmaq - エラー");
    EXPECT_EQ(connectionsAtBox, 0u) << "every connection is hung up before the message";
    EXPECT_EQ(sleptAtBox, 1000);
    EXPECT_EQ(window.dlg.m_hProcess, kNoProcess);
}

TEST_F(ConnectLaunchTest, AProgramThatCannotStartKeepsTheConnectionUnlessAskedToEndIt)
{
    launcher.failStart = true;
    connect();
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"アプリケーションを起動できませんでした"});
    EXPECT_EQ(fake.connections().size(), 1u);
    EXPECT_EQ(clock.sleptMs(), 0);
}

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
