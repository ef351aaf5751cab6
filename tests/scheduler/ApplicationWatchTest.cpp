#include "scheduler/TickFixture.h"

namespace telmaq::test {
namespace {

class ApplicationWatch : public TickFixture
{
protected:
    void launch(bool autoApplication, bool disconnectWhenEnded)
    {
        state().m_bAutoApplication = autoApplication;
        state().m_bApplicationDisconnection = disconnectWhenEnded;
        state().m_hProcess = launcher.start("sleep 2", nullptr);
        process = state().m_hProcess;
    }
    ProcessHandle process = kNoProcess;
};

TEST_F(ApplicationWatch, HangsUpOnceWhenTheApplicationEndsWithBothOptions)
{
    launch(true, true);
    tick.OnTimer();
    tick.OnTimer();
    EXPECT_EQ(state().m_hProcess, process);
    EXPECT_TRUE(window.disconnects.empty());
    EXPECT_EQ(launcher.closes, 0);

    launcher.end(process);
    tick.OnTimer();
    EXPECT_EQ(state().m_hProcess, kNoProcess);
    EXPECT_EQ(launcher.closed.count(process), 1u);
    ASSERT_EQ(window.disconnects.size(), 1u);
    EXPECT_FALSE(window.disconnects[0].interactive);

    const int polls = launcher.polls;
    tick.OnTimer();
    tick.OnTimer();
    EXPECT_EQ(window.disconnects.size(), 1u);
    EXPECT_EQ(launcher.closes, 1);
    EXPECT_EQ(launcher.polls, polls) << "a released handle is not looked at again";
    EXPECT_FALSE(state().m_bDisconnecting);
}

TEST_F(ApplicationWatch, OptionsCountAsTheyAreWhenTheEndIsSeen)
{
    launch(true, true);
    state().m_bApplicationDisconnection = false;
    launcher.end(process);
    tick.OnTimer();
    EXPECT_EQ(state().m_hProcess, kNoProcess);
    EXPECT_EQ(launcher.closes, 1);
    EXPECT_TRUE(window.disconnects.empty());

    launch(false, true);
    state().m_bAutoApplication = true;
    launcher.end(process);
    tick.OnTimer();
    EXPECT_EQ(window.disconnects.size(), 1u);

    launch(true, false);
    launcher.end(process);
    tick.OnTimer();
    EXPECT_EQ(window.disconnects.size(), 1u);
    EXPECT_EQ(launcher.closes, 3);
}

TEST_F(ApplicationWatch, AnEndSeenWhileBusyIsUsedUpWithoutHangingUp)
{
    bool DialDlgState::*const busyFlags[] = {&DialDlgState::m_bTimeDlgOpen, &DialDlgState::m_bConnecting,
                                             &DialDlgState::m_bDisconnecting, &DialDlgState::m_bFileDlgOpen,
                                             &DialDlgState::m_bAboutOpen};
    int round = 0;
    for (auto flag : busyFlags) {
        launch(true, true);
        launcher.end(process);
        state().*flag = true;
        tick.OnTimer();
        state().*flag = false;
        tick.OnTimer();
        tick.OnTimer();
        ++round;
        EXPECT_EQ(state().m_hProcess, kNoProcess) << "round " << round;
        EXPECT_EQ(launcher.closes, round);
    }
    EXPECT_TRUE(window.disconnects.empty());
}

} // namespace
} // namespace telmaq::test
