#include "scheduler/TickFixture.h"

namespace telmaq::test {
namespace {

class ApplicationWatch : public TickFixture
{
protected:
    ProcessHandle launch(bool autoApplication, bool disconnectWhenEnded)
    {
        state().m_bAutoApplication = autoApplication;
        state().m_bApplicationDisconnection = disconnectWhenEnded;
        return state().m_hProcess = launcher.start("sleep 2", nullptr);
    }
};

TEST_F(ApplicationWatch, HangsUpOnceWhenTheApplicationEndsWithBothOptions)
{
    const ProcessHandle process = launch(true, true);
    tick.OnTimer();
    EXPECT_EQ(state().m_hProcess, process);
    EXPECT_TRUE(window.disconnects.empty());

    launcher.end(process);
    tick.OnTimer();
    EXPECT_EQ(state().m_hProcess, kNoProcess);
    ASSERT_EQ(window.disconnects.size(), 1u);
    EXPECT_FALSE(window.disconnects[0].interactive);
    EXPECT_EQ(window.disconnects[0].cause, HistoryCause::ApplicationEnd);
    EXPECT_EQ(history.lines(), std::vector<std::string>{"app-ended application-end Alpha"});

    const int polls = launcher.polls;
    tick.OnTimer();
    EXPECT_EQ(window.disconnects.size(), 1u);
    EXPECT_EQ(launcher.closed, std::multiset<ProcessHandle>{process});
    EXPECT_EQ(launcher.polls, polls) << "a released handle is not looked at again";
    EXPECT_FALSE(state().m_bDisconnecting);
}

TEST_F(ApplicationWatch, OptionsCountAsTheyAreWhenTheEndIsSeen)
{
    struct Case
    {
        bool autoAtStart, hangUpAtStart, autoAtEnd, hangUpAtEnd;
        std::size_t disconnects;
    };
    // The count of hang-ups runs on from case to case.
    for (Case c : {Case{true, true, true, false, 0}, Case{false, true, true, true, 1},
                   Case{true, false, true, false, 1}, Case{true, true, false, true, 1}}) {
        const ProcessHandle process = launch(c.autoAtStart, c.hangUpAtStart);
        state().m_bAutoApplication = c.autoAtEnd;
        state().m_bApplicationDisconnection = c.hangUpAtEnd;
        launcher.end(process);
        tick.OnTimer();
        EXPECT_EQ(state().m_hProcess, kNoProcess);
        EXPECT_EQ(launcher.closed.count(process), 1u);
        EXPECT_EQ(window.disconnects.size(), c.disconnects);
    }
}

TEST_F(ApplicationWatch, AnEndSeenWhileBusyIsUsedUpWithoutHangingUp)
{
    for (auto flag : kBusyFlags) {
        const ProcessHandle process = launch(true, true);
        launcher.end(process);
        state().*flag = true;
        tick.OnTimer();
        state().*flag = false;
        tick.OnTimer();
        EXPECT_EQ(state().m_hProcess, kNoProcess);
        EXPECT_EQ(launcher.closed.count(process), 1u);
    }
    EXPECT_TRUE(window.disconnects.empty());
}

} // namespace
} // namespace telmaq::test
