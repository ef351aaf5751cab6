#include "scheduler/TickFixture.h"

namespace telmaq::test {
namespace {

using DefaultEntryWatchTest = TickFixture;

TEST_F(DefaultEntryWatchTest, FollowsAnotherListedEntryWithoutWritingIt)
{
    setDefaultEntry("Gamma");
    tick.OnTimer();

    EXPECT_EQ(state().m_strEntry, "Gamma");
    EXPECT_EQ(window.currentEntry(), 2);
    EXPECT_TRUE(window.isChecked(2));
    EXPECT_EQ(window.checkedCount(), 1);
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(registry.writes, 0);
    EXPECT_EQ(registry.open, 0) << "every key the tick opened is closed again";
    EXPECT_EQ(storedDefaultEntry(), "Gamma");

    // Once followed, the two agree and the window is left alone.
    window.log.clear();
    tick.OnTimer();
    EXPECT_TRUE(window.log.empty());
}

TEST_F(DefaultEntryWatchTest, OtherLetterCaseTakesTheListsWriting)
{
    setDefaultEntry("bETA");
    tick.OnTimer();

    EXPECT_EQ(state().m_strEntry, "Beta");
    EXPECT_EQ(window.currentEntry(), 1);
    EXPECT_TRUE(window.isChecked(1));
    EXPECT_EQ(window.checkedCount(), 1);
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(registry.writes, 0);
    EXPECT_EQ(storedDefaultEntry(), "bETA");

    // The writings differ every second, yet no notice ever comes.
    for (int i = 0; i < 5; ++i)
        tick.OnTimer();
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(state().m_strEntry, "Beta");
}

TEST_F(DefaultEntryWatchTest, UnknownNameGivesOneNoticeThatNeverStacks)
{
    setDefaultEntry("Delta");
    int ticksInsideTheNotice = 0;
    window.onMessageBox = [&] {
        // The notice is modal and the timer keeps running while it is open.
        EXPECT_TRUE(tick.restartNoticeOpen());
        for (int i = 0; i < 3; ++i, ++ticksInsideTheNotice)
            tick.OnTimer();
    };
    tick.OnTimer();
    window.onMessageBox = nullptr;
    EXPECT_EQ(ticksInsideTheNotice, 3);
    EXPECT_FALSE(tick.restartNoticeOpen());

    // Closed: the same unknown name does not bring it back every second.
    for (int i = 0; i < 5; ++i)
        tick.OnTimer();

    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "設定が変更されました。telmaq を再起動してください");
    EXPECT_EQ(window.boxes[0].title, "telmaq - 警告");
    EXPECT_EQ(window.boxes[0].style, MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(state().m_strEntry, "Alpha");
    EXPECT_EQ(window.currentEntry(), 0);
    EXPECT_TRUE(window.isChecked(0));
    EXPECT_EQ(window.checkedCount(), 1);
    EXPECT_EQ(registry.writes, 0);
}

TEST_F(DefaultEntryWatchTest, NoticeComesAgainOnlyForANewChange)
{
    setDefaultEntry("Delta");
    tick.OnTimer();
    tick.OnTimer();
    EXPECT_EQ(window.boxes.size(), 1u);

    // Another unknown name while the notice is open: still only the one notice open, and
    // one more once it has been closed.
    setDefaultEntry("Zeta");
    window.onMessageBox = [this] {
        setDefaultEntry("Epsilon");
        tick.OnTimer();
        tick.OnTimer();
    };
    tick.OnTimer();
    window.onMessageBox = nullptr;
    EXPECT_EQ(window.boxes.size(), 2u);
    tick.OnTimer();
    tick.OnTimer();
    EXPECT_EQ(window.boxes.size(), 3u);
    tick.OnTimer();
    EXPECT_EQ(window.boxes.size(), 3u);

    // Put right, then the same unknown name again: that is a new change.
    setDefaultEntry("Alpha");
    tick.OnTimer();
    setDefaultEntry("Epsilon");
    tick.OnTimer();
    tick.OnTimer();
    EXPECT_EQ(window.boxes.size(), 4u);
}

TEST_F(DefaultEntryWatchTest, UnreadableDefaultEntryCountsAsAnEmptyName)
{
    removeRemoteAccess();
    tick.OnTimer();
    tick.OnTimer();
    EXPECT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(state().m_strEntry, "Alpha");
}

} // namespace
} // namespace telmaq::test
