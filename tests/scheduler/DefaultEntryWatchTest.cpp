#include "scheduler/TickFixture.h"

namespace telmaq::test {
namespace {

using DefaultEntryWatchTest = TickFixture;

TEST_F(DefaultEntryWatchTest, FollowsAListedEntryInTheListsWritingWithoutWritingIt)
{
    // Another letter case takes the list's writing; the two then differ every second, yet no
    // notice ever comes. Once the writings agree, the window is left alone.
    for (auto [stored, listed, index] : {std::tuple{"Gamma", "Gamma", 2}, std::tuple{"bETA", "Beta", 1}}) {
        SCOPED_TRACE(stored);
        setDefaultEntry(stored);
        tick.OnTimer();
        EXPECT_EQ(state().m_strEntry, listed);
        EXPECT_EQ(window.currentEntry(), index);
        EXPECT_TRUE(window.isChecked(index));
        EXPECT_EQ(window.checkedCount(), 1);
        EXPECT_EQ(storedDefaultEntry(), stored);

        window.log.clear();
        tick.OnTimer();
        tick.OnTimer();
        if (std::string(stored) == listed) {
            EXPECT_TRUE(window.log.empty());
        }
        EXPECT_EQ(state().m_strEntry, listed);
    }
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(registry.writes, 0);
    EXPECT_EQ(registry.open, 0) << "every key the tick opened is closed again";
}

TEST_F(DefaultEntryWatchTest, UnknownNameGivesOneNoticeThatNeverStacks)
{
    setDefaultEntry("Delta");
    int ticksInsideTheNotice = 0;
    window.onMessageBox = [&] {
        // The notice is modal and the timer keeps running while it is open.
        EXPECT_TRUE(tick.restartNoticeOpen());
        for (; ticksInsideTheNotice < 3; ++ticksInsideTheNotice)
            tick.OnTimer();
    };
    tick.OnTimer();
    window.onMessageBox = nullptr;
    EXPECT_EQ(ticksInsideTheNotice, 3);
    EXPECT_FALSE(tick.restartNoticeOpen());
    // Closed: the same unknown name does not bring it back every second.
    tick.OnTimer();
    tick.OnTimer();

    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "設定が変更されました。telmaq を再起動してください");
    EXPECT_EQ(window.boxes[0].title, "telmaq - 警告");
    EXPECT_EQ(window.boxes[0].style, MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(state().m_strEntry, "Alpha");
    EXPECT_EQ(window.currentEntry(), 0);
    EXPECT_EQ(window.checkedCount(), 1);
    EXPECT_TRUE(window.isChecked(0));
    EXPECT_EQ(registry.writes, 0);
}

TEST_F(DefaultEntryWatchTest, NoticeComesAgainOnlyForANewChange)
{
    setDefaultEntry("Delta");
    tick.OnTimer();
    // Another unknown name while the notice is open: still only the one notice open, and
    // one more once it has been closed.
    setDefaultEntry("Zeta");
    window.onMessageBox = [this] {
        setDefaultEntry("Epsilon");
        tick.OnTimer();
    };
    tick.OnTimer();
    window.onMessageBox = nullptr;
    EXPECT_EQ(window.boxes.size(), 2u);
    tick.OnTimer();
    tick.OnTimer();
    EXPECT_EQ(window.boxes.size(), 3u);

    // Put right, then the same unknown name again: that is a new change.
    setDefaultEntry("Alpha");
    tick.OnTimer();
    setDefaultEntry("Epsilon");
    tick.OnTimer();
    tick.OnTimer();
    EXPECT_EQ(window.boxes.size(), 4u);

    // An unreadable default entry counts as an empty name, itself unknown.
    ASSERT_EQ(hive.deleteKey(HKEY_CURRENT_USER, "RemoteAccess"), ERROR_SUCCESS);
    tick.OnTimer();
    EXPECT_EQ(window.boxes.size(), 5u);
    EXPECT_EQ(state().m_strEntry, "Alpha");
}

} // namespace
} // namespace telmaq::test
