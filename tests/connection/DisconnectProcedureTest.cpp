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
}

TEST_F(DisconnectProcedureTest, TellsTheUserOnlyWhenThereIsNothingOrTheListingFails)
{
    control.Disconnect();
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "接続されていません");
    EXPECT_EQ(window.boxes[0].title, "telmaq - 警告");
    EXPECT_EQ(window.boxes[0].style, MB_ICONINFORMATION);

    fake.failNextEnumConnections(ERROR_NO_DIALTONE);
    control.Disconnect();
    ASSERT_EQ(window.boxes.size(), 2u);
    EXPECT_EQ(window.boxes[1].text, textFor(ERROR_NO_DIALTONE));
    EXPECT_EQ(window.boxes[1].title, "telmaq - エラー");
    EXPECT_EQ(window.boxes[1].style, MB_ICONEXCLAMATION);

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
