#include "scheduler/TickFixture.h"

#include <algorithm>

namespace telmaq::test {
namespace {

using TickOrder = TickFixture;

TEST_F(TickOrder, TheFourStepsRunInOrder)
{
    // Everything at once: the connect time, the application's end, another default entry and
    // new redial settings.
    schedule(true, 7, 30, 0);
    state().m_bCheckMon = true;
    state().m_bAutoApplication = state().m_bApplicationDisconnection = true;
    state().m_hProcess = launcher.start("app", nullptr);
    launcher.end(state().m_hProcess);
    setDefaultEntry("Beta");
    putNumber("EnableRedial", 1);

    tickAt(kMonday, 7, 30, 0);

    std::ptrdiff_t previous = -1;
    for (const char* step : {"Connect", "Disconnect", "select 1", "UpdateData(false)"}) {
        const std::ptrdiff_t at = std::find(window.log.begin(), window.log.end(), step) - window.log.begin();
        EXPECT_GT(at, previous) << step;
        EXPECT_LT(at, static_cast<std::ptrdiff_t>(window.log.size())) << step;
        previous = at;
    }
}

TEST_F(TickOrder, WatchesRunInsideAConnectButOnlyTheHangUpIsGuarded)
{
    schedule(true, 7, 30, 0);
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
    schedule(true, 7, 30, 0);
    state().m_bCheckMon = true;
    setDefaultEntry("Delta");
    window.onMessageBox = [this] { tickAt(kMonday, 7, 30, 0); };
    tickAt(kMonday, 7, 29, 59);
    EXPECT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.connects.size(), 1u);
}

} // namespace
} // namespace telmaq::test
