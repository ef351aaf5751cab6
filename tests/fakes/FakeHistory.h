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
    void record(const HistoryRecord& record) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_records.push_back(record);
    }
    std::vector<HistoryRecord> records() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_records;
    }
    // "event cause entry [code]" per record, in order.
    std::vector<std::string> lines() const
    {
        std::vector<std::string> lines;
        for (const HistoryRecord& r : records())
            lines.push_back(std::string(historyEventName(r.event)) + " " + historyCauseName(r.cause) + " " + r.entry +
                            (r.code ? " " + std::to_string(r.code) : std::string()));
        return lines;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<HistoryRecord> m_records;
};

} // namespace telmaq::test
