#include "connection/ApplicationLaunch.h"

#include "connection/ConnectionMessages.h"

namespace telmaq {

void launchApplicationAfterConnect(IDialWindow& window, DialupLists& lists, IProcessLauncher& launcher, IClock& clock)
{
    DialDlgState& state = window.state();
    if (!state.m_bAutoApplication || state.m_hProcess != kNoProcess || state.m_strApplicationFile.empty())
        return;

    const ProcessHandle process = launcher.start(state.m_strApplicationFile, nullptr);
    if (process != kNoProcess) {
        state.m_hProcess = process;
        return;
    }

    if (state.m_bApplicationDisconnection) {
        clock.sleepMs(1000);
        // A listing that failed may leave the count of an earlier one behind; hanging up the
        // handles of that stale listing could end a connection nobody asked to end.
        if (lists.EnumConnections() == 0)
            lists.HangUpAllConnections();
    }
    showErrorBox(window, "アプリケーションを起動できませんでした");
}

} // namespace telmaq
