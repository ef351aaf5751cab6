#pragma once

#include "connection/DialWindow.h"
#include "platform/history/History.h"

#include <cstdint>
#include <mutex>

namespace telmaq {

// One progress report of a dial as the connect procedure takes it.
struct DialReport
{
    // A report was recorded since the last one was taken.
    bool changed = false;
    std::uint32_t state = 0; // RASCONNSTATE
    std::uint32_t error = 0; // 0 for none
};

// The latest report of the dial in progress. The dial-up service writes it from a thread of
// its own through DialNotifier; the connect procedure reads it on the user-interface thread.
// Taking a report clears its mark under the same lock that recording holds, so a report
// recorded at any moment is either in the taken copy or still marked for the next pass: none
// is lost, and the state and error that are acted on always belong together.
class DialNotification
{
public:
    DialNotification() = default;
    DialNotification(const DialNotification&) = delete;
    DialNotification& operator=(const DialNotification&) = delete;

    // The one record that DialNotifier writes.
    static DialNotification& instance();

    // Starts listening for reports: the mark and the state cleared, active set. Every report
    // recorded from now on wakes waker; its wake must be sticky (a wake that arrives before the
    // wait still ends the wait), since a report may come at any moment.
    void begin(IEventWaker* waker);
    // Stops listening and forgets the waker; the waker may be gone once this returns.
    void end();

    // Takes the latest report and clears its mark in one step.
    DialReport take();
    // Clears the mark: the reports recorded so far serve nothing.
    void drop();
    // Reports recorded from now on are ignored; the waker stays registered until end().
    void stopListening();
    bool isActive() const;

    // The notifier's work: record a report while listening, and wake the waiting thread.
    void record(std::uint32_t state, std::uint32_t error);

    // After a connect: a report with an error that arrives while nobody listens means the
    // line has dropped, and is recorded in history. One drop per watch.
    void watchLine(IHistory& history, const std::string& entry, HistoryCause cause);
    // The line is hung up by us, or a new dial begins: later reports are no drop.
    void forgetLine();

    // The record as it stands, for tests and diagnostics; leaves the mark alone.
    DialReport peek() const;

private:
    mutable std::mutex m_mutex;
    bool m_active = false;
    DialReport m_report;
    IEventWaker* m_waker = nullptr;
    IHistory* m_lineHistory = nullptr;
    HistoryRecord m_lineDrop;
};

// The dial notifier handed to the dial-up service (its RasDialFunc form): records the report
// in DialNotification::instance(). The message number is not used.
void DialNotifier(std::uint32_t message, std::uint32_t state, std::uint32_t error);

} // namespace telmaq
