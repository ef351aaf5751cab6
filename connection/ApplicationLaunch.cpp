#include "connection/ApplicationLaunch.h"

#include "connection/ConnectionMessages.h"
#include "connection/DisconnectProcedure.h"

namespace telmaq {

void launchApplicationAfterConnect(IDialWindow& window, const ConnectPorts& ports, const std::string& entry)
{
    DialDlgState& state = window.state();
    if (!state.m_bAutoApplication || state.m_hProcess != kNoProcess || state.m_strApplicationFile.empty())
        return;

    const ProcessHandle process = ports.launcher.start(state.m_strApplicationFile, nullptr);
    HistoryRecord record;
    record.event = process != kNoProcess ? HistoryEvent::ApplicationStarted : HistoryEvent::ApplicationFailed;
    record.cause = state.m_historyCause;
    record.entry = entry;
    record.text = state.m_strApplicationFile;
    ports.history.record(record);
    if (process != kNoProcess) {
        state.m_hProcess = process;
        return;
    }

    if (state.m_bApplicationDisconnection) {
        ports.clock.sleepMs(1000);
        // A listing that failed may leave the count of an earlier one behind; hanging up the
        // handles of that stale listing could end a connection nobody asked to end.
        if (ports.lists.EnumConnections() == 0)
            hangUpEveryConnection(ports.lists, ports.history, HistoryCause::ApplicationEnd);
    }
    showErrorBox(window, "アプリケーションを起動できませんでした");
}

} // namespace telmaq
