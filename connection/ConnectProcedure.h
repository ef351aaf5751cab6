#pragma once

#include "connection/DialNotification.h"
#include "connection/DialWindow.h"
#include "dialup/DialSession.h"
#include "dialup/DialupLists.h"
#include "dialup/RasErrorText.h"
#include "platform/dialup/DialupService.h"
#include "platform/history/History.h"
#include "platform/process/ProcessLauncher.h"
#include "platform/system/Clock.h"

#include <cstdint>
#include <string>

namespace telmaq {

// What the connect procedure works with besides the main window.
struct ConnectPorts
{
    IDialupService& service;
    DialupLists& lists;
    RasErrorText& errorText;
    IProcessLauncher& launcher;
    IClock& clock;
    IHistory& history;
};

// One call of the connect procedure: refuses while any connection exists, opens the
// connecting dialog, dials the selected entry and follows its reports, redials a busy line
// as the system's redial settings say, reports the outcome and starts the application.
// It stays inside run() until the dial ends, pumping the window's events itself; between
// passes it sleeps in the window's event wait, which a report or any window event ends.
class ConnectProcedure
{
public:
    ConnectProcedure(IDialWindow& window, const ConnectPorts& ports);
    void run();

    // The longest wait for a report before the loop looks again. Reports and window events
    // end the wait at once, so this only bounds the harm a lost wake-up could do.
    static constexpr int kReportWaitMs = 1000;
    // The countdown refreshes about ten times a second.
    static constexpr int kCountdownWaitMs = 100;

private:
    enum class LoopState
    {
        StartDial,
        AwaitNotification,
        RedialCountdown,
    };
    enum class Next
    {
        Pass,
        Exit,
    };

    bool refused();
    void openDialog();
    Next startDial();
    void awaitNotification();
    void redialCountdown();
    bool pumpBetweenPasses();
    void hangUp();

    void cancelExit();
    void report(std::uint32_t outcome);
    void quitExit();
    void closeDialog();
    void recordEvent(HistoryEvent event, std::uint32_t code = 0, std::string text = std::string());

    DialDlgState& state() { return m_window.state(); }
    bool keepDialing() { return m_window.state().m_bKeepDialing; }

    IDialWindow& m_window;
    ConnectPorts m_ports;
    // The record that DialNotifier, the notifier handed to the service, writes.
    DialNotification& m_notification = DialNotification::instance();
    DialSession m_session;
    // Taken when the procedure starts: nothing can start another Connect or Disconnect while
    // this one pumps events.
    HistoryCause m_cause = HistoryCause::Button;
    // The entry of the attempt in progress, for the history.
    std::string m_entry;

    // Meaningful only while m_bKeepDialing is set; the dialog frees itself when it closes.
    IConnectingView* m_dialog = nullptr;
    LoopState m_loop = LoopState::StartDial;
    std::int32_t m_dialCount = 0;
    std::int64_t m_waitStart = 0;
    // The countdown text on the screen, so that an unchanged one is not painted again.
    std::string m_countdownShown;
    // The last report acted on, so that the outcome and the launch follow that report alone.
    DialReport m_acted;
};

} // namespace telmaq
