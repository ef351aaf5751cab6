#include "connection/ConnectProcedure.h"

#include "connection/ApplicationLaunch.h"
#include "connection/ConnectionMessages.h"
#include "connection/DialStatusText.h"
#include "connection/DialogPlacement.h"

#include <string>

namespace telmaq {

namespace {

std::string countdownText(std::int32_t dialCount, std::int64_t elapsed, std::int64_t remaining)
{
    // The form follows the seconds already waited, not those left: a 75-second wait counts
    // 75 down to 16 in seconds, then shows "0 分 15 秒".
    std::string text = "ダイヤル " + std::to_string(dialCount) + "\nリダイヤルまであと ";
    if (elapsed < 60)
        return text + std::to_string(remaining) + " 秒";
    return text + std::to_string(remaining / 60) + " 分 " + std::to_string(remaining % 60) + " 秒";
}

// Stops listening to the notifier however the procedure leaves, so that no report wakes a
// window that no longer waits for one.
class ListeningScope
{
public:
    ListeningScope(DialNotification& notification, IEventWaker& waker) : m_notification(notification)
    {
        m_notification.begin(&waker);
    }
    ~ListeningScope() { m_notification.end(); }
    ListeningScope(const ListeningScope&) = delete;
    ListeningScope& operator=(const ListeningScope&) = delete;

private:
    DialNotification& m_notification;
};

} // namespace

ConnectProcedure::ConnectProcedure(IDialWindow& window, const ConnectPorts& ports)
    : m_window(window), m_ports(ports), m_session(ports.service)
{}

void ConnectProcedure::run()
{
    m_cause = state().m_historyCause;
    m_entry = state().m_strEntry;
    if (refused())
        return;
    openDialog();
    ListeningScope listening(m_notification, m_window);

    for (;;) {
        if (!keepDialing()) {
            cancelExit();
            return;
        }
        switch (m_loop) {
        case LoopState::StartDial:
            if (startDial() == Next::Exit)
                return;
            break;
        case LoopState::AwaitNotification:
            awaitNotification();
            break;
        case LoopState::RedialCountdown:
            redialCountdown();
            break;
        }
        if (!pumpBetweenPasses()) {
            quitExit();
            return;
        }
        if (m_notification.isActive())
            continue;
        if (!keepDialing()) {
            cancelExit();
            return;
        }
        closeDialog();
        report(m_acted.error);
        return;
    }
}

bool ConnectProcedure::refused()
{
    const std::uint32_t code = m_ports.lists.EnumConnections();
    if (code != 0) {
        const std::string text = m_ports.errorText.GetRasErrorText(code);
        recordEvent(HistoryEvent::Failed, code, text);
        showErrorBox(m_window, text);
        return true;
    }
    if (m_ports.lists.connectionCount() > 0) {
        const char* name = m_ports.lists.GetConnectionEntryName(0);
        showWarningBox(m_window, std::string("「") + (name ? name : "") + "」に接続されています");
        return true;
    }
    return false;
}

void ConnectProcedure::openDialog()
{
    state().m_bKeepDialing = true;
    m_dialog = m_window.createConnectingDialog();
    if (!m_dialog) {
        // Without its dialog the user could not cancel the dial: treat it as cancelled.
        state().m_bKeepDialing = false;
        return;
    }
    placeConnectingDialog(m_window, *m_dialog);
}

ConnectProcedure::Next ConnectProcedure::startDial()
{
    // Read afresh for every attempt: the selection may have changed during a redial wait.
    const std::string entry = state().m_strEntry;
    m_entry = entry;
    m_dialog->setCaption("telmaq - " + entry + " に接続中");

    bool passwordRetrieved = false;
    std::uint32_t code = m_session.LoadParams(entry, &passwordRetrieved);
    if (code != 0) {
        const std::string text = m_ports.errorText.GetRasErrorText(code);
        recordEvent(HistoryEvent::Failed, code, text);
        closeDialog();
        showErrorBox(m_window, text);
        return Next::Exit;
    }
    if (m_session.params().szUserName[0] == '\0' || m_session.params().szPassword[0] == '\0') {
        const char* text = "ユーザー名またはパスワードが設定されていません";
        recordEvent(HistoryEvent::Failed, 0, text);
        closeDialog();
        showWarningBox(m_window, text);
        return Next::Exit;
    }

    // The service wants an empty handle for a new dial; whatever the last attempt reported
    // belongs to a line already hung up.
    m_session.clearConnection();
    m_notification.drop();
    recordEvent(m_dialCount == 0 ? HistoryEvent::DialStarted : HistoryEvent::Redial);
    code = m_session.Dial(0, &DialNotifier);
    if (code != 0) {
        const std::string text = m_ports.errorText.GetRasErrorText(code);
        recordEvent(HistoryEvent::Failed, code, text);
        closeDialog();
        hangUp();
        showErrorBox(m_window, text);
        return Next::Exit;
    }
    m_loop = LoopState::AwaitNotification;
    return Next::Pass;
}

void ConnectProcedure::awaitNotification()
{
    const DialReport report = m_notification.take();
    if (!report.changed)
        return;
    m_acted = report;

    if (report.error != 0) {
        hangUp();
        if (report.error == ERROR_LINE_BUSY && state().m_bRedial) {
            ++m_dialCount;
            if (m_dialCount > state().m_nRedialTry) {
                m_notification.stopListening();
                recordEvent(HistoryEvent::Failed, report.error, m_ports.errorText.GetRasErrorText(report.error));
            } else {
                m_waitStart = m_ports.clock.now();
                m_countdownShown.clear();
                m_loop = LoopState::RedialCountdown;
            }
        } else {
            m_notification.stopListening();
            recordEvent(HistoryEvent::Failed, report.error, m_ports.errorText.GetRasErrorText(report.error));
        }
        return;
    }

    m_dialog->setStatusText(dialStatusText(report.state));
    m_countdownShown.clear();
    if (dialStatusEndsWait(report.state)) {
        m_notification.stopListening();
        if (report.state == RASCS_Connected) {
            recordEvent(HistoryEvent::Connected);
            // From now on only a drop of this line is reported, and only to the history.
            m_notification.watchLine(m_ports.history, m_entry, m_cause);
        } else {
            recordEvent(HistoryEvent::Failed);
        }
    }
}

void ConnectProcedure::redialCountdown()
{
    const std::int64_t now = m_ports.clock.now();
    // A clock set back during the wait would otherwise stretch it by the same amount.
    if (now < m_waitStart)
        m_waitStart = now;
    const std::int64_t elapsed = now - m_waitStart;
    const std::int32_t wait = state().m_nRedialWait;
    if (elapsed >= wait) {
        m_loop = LoopState::StartDial;
    } else {
        // The text changes once a second but the loop passes ten times a second; painting the
        // same text again would only cost time.
        std::string text = countdownText(m_dialCount, elapsed, wait - elapsed);
        if (text != m_countdownShown) {
            m_dialog->setStatusText(text);
            m_countdownShown = std::move(text);
        }
    }
    // Reports during a wait belong to the line already hung up.
    m_notification.drop();
}

bool ConnectProcedure::pumpBetweenPasses()
{
    // Work that needs no event goes on at once: the dial has ended, or a redial is due.
    if (!m_notification.isActive() || m_loop == LoopState::StartDial)
        return m_window.pumpPendingMessages();
    return m_window.waitAndPump(m_loop == LoopState::RedialCountdown ? kCountdownWaitMs : kReportWaitMs);
}

void ConnectProcedure::hangUp()
{
    // Once hung up, the handle is forgotten: the service may give its number to a connection
    // that another program dials meanwhile, and a second hang-up would end that one.
    if (m_session.connection() == kNoConnection)
        return;
    m_session.HangUp();
    m_session.clearConnection();
}

void ConnectProcedure::cancelExit()
{
    m_notification.stopListening();
    m_notification.forgetLine();
    recordEvent(HistoryEvent::Cancelled);
    hangUp();
    // The line was just hung up, even when Connected was taken in this very pass: an
    // application that expects the connection must not start on it.
    m_acted = DialReport{};
    report(0);
}

void ConnectProcedure::report(std::uint32_t outcome)
{
    if (outcome == ERROR_LINE_BUSY)
        showWarningBox(m_window, "話中です");
    else if (outcome != 0)
        showErrorBox(m_window, m_ports.errorText.GetRasErrorText(outcome));

    if (m_acted.state == RASCS_Connected)
        launchApplicationAfterConnect(m_window, m_ports, m_entry);
}

void ConnectProcedure::quitExit()
{
    m_notification.forgetLine();
    recordEvent(HistoryEvent::Cancelled);
    hangUp();
    closeDialog();
}

void ConnectProcedure::recordEvent(HistoryEvent event, std::uint32_t code, std::string text)
{
    HistoryRecord record;
    record.event = event;
    record.cause = m_cause;
    record.entry = m_entry;
    record.code = code;
    record.text = std::move(text);
    m_ports.history.record(record);
}

void ConnectProcedure::closeDialog()
{
    // After the dialog's own Cancel or Close it is gone and must not be touched.
    if (keepDialing() && m_dialog)
        m_dialog->destroy();
    m_dialog = nullptr;
}

} // namespace telmaq
