#include "scheduler/Schedule.h"

#include "connection/BusyScope.h"
#include "scheduler/TickWindow.h"

namespace telmaq {

namespace {

bool isTime(const LocalTime& t, int hour, int minute, int second)
{
    return t.second == second && t.minute == minute && t.hour == hour;
}

} // namespace

unsigned WeekdayMask(const DialDlgState& state)
{
    static constexpr bool DialDlgState::*kDays[] = {
        &DialDlgState::m_bCheckSun, &DialDlgState::m_bCheckMon, &DialDlgState::m_bCheckTue, &DialDlgState::m_bCheckWed,
        &DialDlgState::m_bCheckThu, &DialDlgState::m_bCheckFri, &DialDlgState::m_bCheckSat};
    unsigned mask = 0;
    for (unsigned day = 0; day < 7; ++day) {
        if (state.*kDays[day])
            mask |= 1u << day;
    }
    return mask;
}

bool isDaySelected(unsigned mask, int weekday)
{
    return weekday >= 0 && weekday <= 6 && (mask & (1u << weekday)) != 0;
}

bool anyBusyFlag(const DialDlgState& state)
{
    return state.m_bTimeDlgOpen || state.m_bConnecting || state.m_bDisconnecting || state.m_bFileDlgOpen ||
           state.m_bAboutOpen;
}

void runScheduledConnectAndDisconnect(ITickWindow& window, const IClock& clock)
{
    DialDlgState& state = window.state();
    if (!state.m_bAutoConnection || anyBusyFlag(state))
        return;

    LocalTime now;
    bool connectRan = false;
    {
        // The flag goes up before the clock is read so that ticks handled while Connect pumps
        // events see the schedule as busy.
        const BusyScope connecting(state.m_bConnecting);
        state.m_historyCause = HistoryCause::Schedule;
        now = clock.localTime(clock.now());
        if (isTime(now, state.m_nConnectHour, state.m_nConnectMinute, state.m_nConnectSecond) &&
            isDaySelected(WeekdayMask(state), now.weekday)) {
            window.Connect();
            connectRan = true;
        }
    }

    if (connectRan || !state.m_bAutoDisconnection)
        return;
    const BusyScope disconnecting(state.m_bDisconnecting);
    state.m_historyCause = HistoryCause::ScheduledDisconnect;
    if (isTime(now, state.m_nDisconnectHour, state.m_nDisconnectMinute, state.m_nDisconnectSecond))
        window.Disconnect();
}

} // namespace telmaq
