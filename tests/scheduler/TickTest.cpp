#include "scheduler/TickFixture.h"

#include <algorithm>

namespace telmaq::test {
namespace {

class TickOrder : public TickFixture
{
protected:
    std::ptrdiff_t position(const std::string& what) const
    {
        auto it = std::find(window.log.begin(), window.log.end(), what);
        return it == window.log.end() ? -1 : it - window.log.begin();
    }
};

TEST_F(TickOrder, TheFourStepsRunInOrder)
{
    // Everything at once: the connect time, the application's end, another default entry and
    // new redial settings.
    scheduleConnect(7, 30, 0);
    state().m_bCheckMon = true;
    state().m_bAutoApplication = state().m_bApplicationDisconnection = true;
    state().m_hProcess = launcher.start("app", nullptr);
    launcher.end(state().m_hProcess);
    setDefaultEntry("Beta");
    putNumber("EnableRedial", 1);

    tickAt(kMonday, 7, 30, 0);

    const auto connect = position("Connect");
    const auto disconnect = position("Disconnect");
    const auto select = position("select 1");
    const auto redial = position("UpdateData(false)");
    ASSERT_NE(connect, -1);
    ASSERT_NE(disconnect, -1);
    ASSERT_NE(select, -1);
    ASSERT_NE(redial, -1);
    EXPECT_LT(connect, disconnect);
    EXPECT_LT(disconnect, select);
    EXPECT_LT(select, redial);
}

TEST_F(TickOrder, WatchesRunInsideAConnectButOnlyTheHangUpIsGuarded)
{
    scheduleConnect(7, 30, 0);
    state().m_bCheckMon = true;
    state().m_bAutoApplication = state().m_bApplicationDisconnection = true;
    state().m_hProcess = launcher.start("app", nullptr);
    window.onConnect = [this] {
        launcher.end(state().m_hProcess);
        setDefaultEntry("Gamma");
        putNumber("RedialTry", 5);
        tickAt(kMonday, 7, 30, 1);
    };
    tickAt(kMonday, 7, 30, 0);

    EXPECT_EQ(window.connects.size(), 1u);
    EXPECT_TRUE(window.disconnects.empty());
    EXPECT_EQ(state().m_hProcess, kNoProcess);
    EXPECT_EQ(state().m_strEntry, "Gamma");
    EXPECT_EQ(state().m_nRedialTry, 5);
}

TEST_F(TickOrder, TheRestartNoticeDoesNotHoldTheScheduleBack)
{
    // Only the busy flags guard the schedule; an open notice is not one of them.
    scheduleConnect(7, 30, 0);
    state().m_bCheckMon = true;
    setDefaultEntry("Delta");
    window.onMessageBox = [this] { tickAt(kMonday, 7, 30, 0); };
    tickAt(kMonday, 7, 29, 59);
    EXPECT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.connects.size(), 1u);
}

} // namespace
} // namespace telmaq::test
