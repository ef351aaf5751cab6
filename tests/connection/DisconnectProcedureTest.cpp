#include "ConnectFixture.h"

namespace telmaq::test {
namespace {

using DisconnectProcedureTest = ConnectFixture;

TEST_F(DisconnectProcedureTest, HangsUpEveryConnectionWhoeverDialledIt)
{
    const HRASCONN first = fake.addConnection("プロバイダ");
    const HRASCONN second = fake.addConnection("他社の回線");
    control.Disconnect();
    EXPECT_EQ(fake.hungUp(), (std::vector<HRASCONN>{first, second}));
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(window.passes, 0) << "Disconnect neither pumps nor waits";
    EXPECT_EQ(window.viewCount(), 0u);
    EXPECT_EQ(history.lines(), (std::vector<std::string>{"hung-up button プロバイダ", "hung-up button 他社の回線"}));
}

TEST_F(DisconnectProcedureTest, OnlyALineThatWeDidNotHangUpIsRecordedAsDropped)
{
    FakeDialupService::Script dropping = FakeDialupService::connectingScript();
    dropping.push_back({RASCS_Disconnected, ERROR_REMOTE_DISCONNECTION});
    for (const bool hangUpFirst : {true, false}) {
        fake.clearConnections();
        fake.scriptDial(dropping);
        // The drop stays held until the connect is over.
        fake.holdReports();
        window.onPass = [this](int) {
            if (fake.pendingReports() > 1)
                releaseOne();
        };
        connect();
        window.onPass = nullptr;
        window.dlg.m_historyCause = HistoryCause::ScheduledDisconnect;
        if (hangUpFirst)
            control.Disconnect();
        releaseOne();
        window.dlg.m_historyCause = HistoryCause::Button;
    }
    EXPECT_EQ(history.lines(),
              (std::vector<std::string>{"dial-started button プロバイダ", "connected button プロバイダ",
                                        "hung-up scheduled-disconnect プロバイダ", "dial-started button プロバイダ",
                                        "connected button プロバイダ", "line-dropped button プロバイダ 629"}));
}

TEST_F(DisconnectProcedureTest, TellsTheUserOnlyWhenThereIsNothingOrTheListingFails)
{
    control.Disconnect();
    fake.failNextEnumConnections(ERROR_NO_DIALTONE);
    control.Disconnect();
    const std::vector<RecordedMessageBox> expected = {
        {"接続されていません", "telmaq - 警告", MB_ICONINFORMATION},
        {textFor(ERROR_NO_DIALTONE), "telmaq - エラー", MB_ICONEXCLAMATION}};
    EXPECT_EQ(window.boxes, expected);

    // From the tick: silent in every case.
    window.boxes.clear();
    window.dlg.m_bInteractive = false;
    control.Disconnect();
    fake.failNextEnumConnections(ERROR_NO_DIALTONE);
    control.Disconnect();
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_TRUE(fake.hungUp().empty());
}

} // namespace
} // namespace telmaq::test
