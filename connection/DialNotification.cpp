#include "connection/DialNotification.h"

namespace telmaq {

DialNotification& DialNotification::instance()
{
    static DialNotification record;
    return record;
}

void DialNotification::begin(IEventWaker* waker)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_report.changed = false;
    m_report.state = 0;
    m_active = true;
    m_lineHistory = nullptr;
    m_waker = waker;
}

void DialNotification::end()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_active = false;
    m_waker = nullptr;
}

DialReport DialNotification::take()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    DialReport taken = m_report;
    m_report.changed = false;
    return taken;
}

void DialNotification::drop()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_report.changed = false;
}

void DialNotification::stopListening()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_active = false;
}

bool DialNotification::isActive() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_active;
}

void DialNotification::watchLine(IHistory& history, const std::string& entry, HistoryCause cause)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lineHistory = &history;
    m_lineDrop = HistoryRecord();
    m_lineDrop.event = HistoryEvent::LineDropped;
    m_lineDrop.entry = entry;
    m_lineDrop.cause = cause;
}

void DialNotification::forgetLine()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lineHistory = nullptr;
}

void DialNotification::record(std::uint32_t state, std::uint32_t error)
{
    IHistory* dropHistory = nullptr;
    HistoryRecord drop;
    {
        // The wake happens under the lock so that end() cannot return, and the waker go away,
        // while a wake is still on its way.
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_active) {
            m_report.changed = true;
            m_report.state = state;
            m_report.error = error;
            if (m_waker)
                m_waker->wake();
            return;
        }
        if (!m_lineHistory || error == 0)
            return;
        std::swap(dropHistory, m_lineHistory);
        drop = m_lineDrop;
        drop.code = error;
    }
    // Outside the lock: the history may wait on its file, and the window must not wait on it.
    dropHistory->record(drop);
}

DialReport DialNotification::peek() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_report;
}

void DialNotifier(std::uint32_t /*message*/, std::uint32_t state, std::uint32_t error)
{
    DialNotification::instance().record(state, error);
}

} // namespace telmaq
