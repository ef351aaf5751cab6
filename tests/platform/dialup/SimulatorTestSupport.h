#pragma once

#include "platform/dialup/LineSimulator.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace telmaq::test {

struct Reported
{
    std::uint32_t message, state, error;
    std::thread::id thread;
};

// The reports of the dials of one test, for any provider. A notifier is a plain function, so
// the record is process-wide; every test resets it first.
class ReportLog
{
public:
    static ReportLog& instance()
    {
        static ReportLog log;
        return log;
    }
    static void notifier(std::uint32_t message, std::uint32_t state, std::uint32_t error)
    {
        ReportLog& log = instance();
        std::lock_guard<std::mutex> lock(log.m_mutex);
        log.m_reports.push_back({message, state, error, std::this_thread::get_id()});
        log.m_cv.notify_all();
    }
    void reset()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_reports.clear();
    }
    std::vector<Reported> reports() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_reports;
    }
    // Until a report ends the dial (Connected, Disconnected or an error); false after the time-out.
    bool waitForEnd(std::chrono::seconds timeout = std::chrono::seconds(60))
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_cv.wait_for(lock, timeout, [&] {
            return std::any_of(m_reports.begin(), m_reports.end(), [](const Reported& r) {
                return r.error != 0 || r.state == RASCS_Connected || r.state == RASCS_Disconnected;
            });
        });
    }
    bool waitForCount(std::size_t count, std::chrono::seconds timeout = std::chrono::seconds(60))
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_cv.wait_for(lock, timeout, [&] { return m_reports.size() >= count; });
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::vector<Reported> m_reports;
};

inline SimEntry simEntry(const std::string& name, const std::string& line = "connect", std::uint32_t stepMs = 0,
                         const std::string& device = "")
{
    return SimEntry{name, "0120000000", device, "user", "secret", std::nullopt, line, stepMs};
}

// The names of the active connections as the service lists them.
inline std::vector<std::string> connectionNames(IDialupService& service, std::vector<HRASCONN>* handles = nullptr)
{
    std::vector<RASCONNA> records(16);
    records[0].dwSize = sizeof(RASCONNA);
    std::uint32_t size = static_cast<std::uint32_t>(records.size() * sizeof(RASCONNA)), count = 0;
    if (service.enumConnections(records.data(), &size, &count) != 0)
        return {"<listing failed>"};
    std::vector<std::string> names;
    for (std::uint32_t i = 0; i < count; ++i) {
        names.push_back(records[i].szEntryName);
        if (handles)
            handles->push_back(records[i].hrasconn);
    }
    return names;
}

// Loads an entry's stored parameters and dials it, by default with ReportLog's notifier.
inline std::uint32_t dialEntry(IDialupService& service, const std::string& name, HRASCONN* handle,
                               const char* password = nullptr, RasDialFunc notifier = &ReportLog::notifier)
{
    RASDIALPARAMSA params{};
    params.dwSize = sizeof params;
    name.copy(params.szEntryName, RAS_MaxEntryName);
    bool retrieved = false;
    if (std::uint32_t code = service.getEntryDialParams(&params, &retrieved))
        return code;
    if (password)
        std::snprintf(params.szPassword, sizeof params.szPassword, "%s", password);
    *handle = kNoConnection;
    return service.dial(&params, 0, notifier, handle);
}

} // namespace telmaq::test
