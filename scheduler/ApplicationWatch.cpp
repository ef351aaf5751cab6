#include "scheduler/ApplicationWatch.h"

#include "connection/BusyScope.h"
#include "scheduler/Schedule.h"
#include "scheduler/TickWindow.h"

namespace telmaq {

void watchLaunchedApplication(ITickWindow& window, IProcessLauncher& launcher, IHistory& history)
{
    DialDlgState& state = window.state();
    const ProcessHandle process = state.m_hProcess;
    if (process == kNoProcess || !launcher.hasEnded(process))
        return;

    state.m_hProcess = kNoProcess;
    launcher.close(process);
    HistoryRecord ended;
    ended.event = HistoryEvent::ApplicationEnded;
    ended.cause = HistoryCause::ApplicationEnd;
    ended.entry = state.m_strEntry;
    ended.text = state.m_strApplicationFile;
    history.record(ended);

    if (!state.m_bAutoApplication || !state.m_bApplicationDisconnection || anyBusyFlag(state))
        return;
    // Held like the buttons hold it, so nothing that Disconnect might let through starts a
    // second one on top of it.
    state.m_bDisconnecting = true;
    state.m_historyCause = HistoryCause::ApplicationEnd;
    window.Disconnect();
    state.m_bDisconnecting = false;
}

} // namespace telmaq
