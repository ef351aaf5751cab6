#pragma once

#include "platform/history/History.h"

#include <mutex>
#include <string>
#include <vector>

namespace telmaq::test {

// Keeps what is recorded; the notifier thread records line drops, hence the lock.
class FakeHistory : public IHistory
{
public:
    // "event cause entry [code]" per record, in order.
    void record(const HistoryRecord& r) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lines.push_back(std::string(historyEventName(r.event)) + " " + historyCauseName(r.cause) + " " + r.entry +
                          (r.code ? " " + std::to_string(r.code) : std::string()));
    }
    std::vector<std::string> lines() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_lines;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

} // namespace telmaq::test
