#include "scheduler/TickFixture.h"

#include <tuple>
#include <vector>

namespace telmaq::test {
namespace {

using ScheduledConnect = TickFixture;

TEST_F(ScheduledConnect, RunsOnlyInTheSetSecondOfTheOneSelectedWeekday)
{
    bool DialDlgState::*const days[] = {&DialDlgState::m_bCheckSun, &DialDlgState::m_bCheckMon,
                                        &DialDlgState::m_bCheckTue, &DialDlgState::m_bCheckWed,
                                        &DialDlgState::m_bCheckThu, &DialDlgState::m_bCheckFri,
                                        &DialDlgState::m_bCheckSat};
    schedule(true, 7, 5, 30);
    std::vector<LocalTime> ranAt;
    window.onConnect = [&] { ranAt.push_back(clock.localTime(clock.now())); };
    for (int selected = kSunday; selected <= kSaturday; ++selected) {
        SCOPED_TRACE(selected);
        for (auto day : days)
            state().*day = false;
        state().*days[selected] = true;
        window.connects.clear();
        ranAt.clear();
        // Minute and second swapped, one second either side, and every other day must all miss.
        for (int day = kSunday; day <= kSaturday; ++day) {
            tickAt(day, 7, 30, 5);
            tickAt(day, 7, 5, 29);
            tickAt(day, 7, 5, 30);
            tickAt(day, 7, 5, 31);
        }
        ASSERT_EQ(ranAt.size(), 1u);
        EXPECT_EQ(ranAt[0].weekday, selected);
        EXPECT_EQ(ranAt[0].second, 30);
        // The scheduled run is not the user's: no messages, and the schedule's own flag is held.
        EXPECT_FALSE(window.connects[0].interactive);
        EXPECT_TRUE(window.connects[0].connecting);
        EXPECT_EQ(window.connects[0].cause, HistoryCause::Schedule);
        EXPECT_FALSE(state().m_bConnecting);
    }
}

TEST_F(ScheduledConnect, DisconnectsOnlyInTheSetSecond)
{
    schedule(false, 18, 5, 30);
    state().m_bAutoConnection = true; // a connect time that never comes
    state().m_nConnectHour = 99;
    std::vector<LocalTime> ranAt;
    window.onDisconnect = [&] { ranAt.push_back(clock.localTime(clock.now())); };
    for (auto [hour, minute, second] : {std::tuple{18, 30, 5}, {18, 5, 29}, {18, 5, 31}, {5, 18, 30}, {18, 5, 30}})
        tickAt(kMonday, hour, minute, second);
    ASSERT_EQ(ranAt.size(), 1u);
    EXPECT_EQ(ranAt[0].minute, 5);
}

TEST_F(ScheduledConnect, NoWeekdayCheckedNeverConnectsButDisconnectsEveryDay)
{
    schedule(true, 7, 30, 0);
    schedule(false, 18, 0, 0);
    for (int day = kSunday; day <= kSaturday; ++day) {
        tickAt(day, 7, 30, 0);
        tickAt(day, 18, 0, 0);
    }
    EXPECT_TRUE(window.connects.empty());
    ASSERT_EQ(window.disconnects.size(), 7u);
    EXPECT_FALSE(window.disconnects[0].interactive);
    EXPECT_TRUE(window.disconnects[0].disconnecting);
    EXPECT_EQ(window.disconnects[0].cause, HistoryCause::ScheduledDisconnect);
    EXPECT_FALSE(state().m_bDisconnecting);
}

TEST_F(ScheduledConnect, DisconnectionAloneDoesNothingAndEqualTimesSplitByWeekday)
{
    schedule(false, 9, 0, 0);
    tickAt(kMonday, 9, 0, 0);
    EXPECT_TRUE(window.log.empty());

    schedule(true, 9, 0, 0);
    state().m_bCheckMon = true;
    tickAt(kMonday, 9, 0, 0);
    EXPECT_EQ(window.connects.size(), 1u);
    EXPECT_TRUE(window.disconnects.empty());
    tickAt(kTuesday, 9, 0, 0);
    EXPECT_EQ(window.connects.size(), 1u);
    EXPECT_EQ(window.disconnects.size(), 1u);
}

TEST_F(ScheduledConnect, StoredTimesOutOfRangeNeverMatch)
{
    // Settings are loaded without range checks; hour 24 must not wrap round to midnight,
    // nor second 60 to the next minute.
    schedule(true, 24, 0, 0);
    schedule(false, 12, 59, 60);
    state().m_bCheckSun = state().m_bCheckMon = state().m_bCheckTue = state().m_bCheckWed = true;
    state().m_bCheckThu = state().m_bCheckFri = state().m_bCheckSat = true;
    for (int day = kSunday; day <= kSaturday; ++day) {
        tickAt(day, 0, 0, 0);
        tickAt(day, 13, 0, 0);
    }
    EXPECT_TRUE(window.log.empty());
}

TEST_F(ScheduledConnect, BusyWindowMissesTheTimeAndDoesNotMakeItUp)
{
    schedule(true, 7, 30, 0);
    schedule(false, 8, 0, 0);
    state().m_bCheckMon = true;
    for (auto flag : kBusyFlags) {
        state().*flag = true;
        tickAt(kMonday, 7, 30, 0);
        tickAt(kMonday, 8, 0, 0);
        state().*flag = false;
        tickAt(kMonday, 7, 30, 1);
        tickAt(kMonday, 8, 0, 1);
    }
    EXPECT_TRUE(window.log.empty());
}

TEST_F(ScheduledConnect, TicksDuringALongConnectLeaveTheScheduleAlone)
{
    // A connect pumps events while it dials, so later ticks come in on top of it; its
    // disconnect second passes unserved.
    schedule(true, 7, 30, 0);
    schedule(false, 7, 30, 5);
    state().m_bCheckMon = true;
    window.onConnect = [this] {
        for (int second = 1; second <= 10; ++second)
            tickAt(kMonday, 7, 30, second);
    };
    tickAt(kMonday, 7, 30, 0);
    EXPECT_EQ(window.connects.size(), 1u);
    EXPECT_TRUE(window.disconnects.empty());
    EXPECT_FALSE(state().m_bConnecting);
}

} // namespace
} // namespace telmaq::test
