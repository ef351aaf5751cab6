#pragma once

#include "platform/dialup/LineSimulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <utility>

namespace telmaq::test {

struct Reported
{
    std::uint32_t message, state, error;
    std::thread::id thread;
};

// The reports of the dials of one test, for any provider. A notifier is a plain function, so
// the record is process-wide; every dial resets it first.
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
    // The reports so far; with clear, forgotten as well.
    std::vector<Reported> reports(bool clear = false)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return clear ? std::exchange(m_reports, {}) : m_reports;
    }
    void reset() { reports(true); }
    // Until count reports came, or, with none given, one that ends the dial (Connected,
    // Disconnected or an error); false after a minute.
    bool waitFor(std::size_t count = 0)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_cv.wait_for(lock, std::chrono::seconds(60), [&] {
            return count ? m_reports.size() >= count : std::any_of(m_reports.begin(), m_reports.end(), [](auto& r) {
                return r.error != 0 || r.state == RASCS_Connected || r.state == RASCS_Disconnected;
            });
        });
    }

    // The states reported to the end of the dial, and the last error; every report must come
    // on a thread of the service's.
    std::pair<std::vector<std::uint32_t>, std::uint32_t> ending()
    {
        EXPECT_TRUE(waitFor());
        std::vector<std::uint32_t> states;
        for (const Reported& r : reports()) {
            states.push_back(r.state);
            EXPECT_NE(r.thread, std::this_thread::get_id()) << "reports come on the service's thread";
        }
        return {states, states.empty() ? 0 : reports().back().error};
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::vector<Reported> m_reports;
};

// The states of a dial that connects, in order.
inline const std::vector<std::uint32_t> kConnectedStates = {
    RASCS_OpenPort,     RASCS_PortOpened,    RASCS_ConnectDevice, RASCS_DeviceConnected, RASCS_AllDevicesConnected,
    RASCS_Authenticate, RASCS_Authenticated, RASCS_Connected};

inline SimEntry simEntry(const std::string& name, const std::string& line = "connect", std::uint32_t stepMs = 0,
                         const std::string& device = "")
{
    return SimEntry{name, "0120000000", device, "user", "secret", std::nullopt, line, stepMs};
}

// The names of the active connections as the service lists them.
inline std::vector<std::string> connectionNames(IDialupService& service)
{
    std::vector<RASCONNA> records(16);
    records[0].dwSize = sizeof(RASCONNA);
    std::uint32_t size = static_cast<std::uint32_t>(records.size() * sizeof(RASCONNA)), count = 0;
    if (service.enumConnections(records.data(), &size, &count) != 0)
        return {"<listing failed>"};
    std::vector<std::string> names;
    for (std::uint32_t i = 0; i < count; ++i)
        names.push_back(records[i].szEntryName);
    return names;
}

// An entry's dial parameters as "code|user|password|number|domain", with "|retrieved" when the
// password was. The domain starts as "*" and retrieved as given, so that either is seen kept or
// changed.
inline std::string paramsOf(IDialupService& service, const char* entry, bool retrieved = false,
                            std::uint32_t size = sizeof(RASDIALPARAMSA))
{
    RASDIALPARAMSA p{};
    p.dwSize = size;
    std::snprintf(p.szEntryName, sizeof p.szEntryName, "%s", entry);
    std::snprintf(p.szDomain, sizeof p.szDomain, "*");
    const std::uint32_t code = service.getEntryDialParams(&p, &retrieved);
    return std::to_string(code) + "|" + p.szUserName + "|" + p.szPassword + "|" + p.szPhoneNumber + "|" + p.szDomain +
           (retrieved ? "|retrieved" : "");
}

// Loads an entry's stored parameters and dials it, by default with ReportLog's notifier, whose
// record it clears first.
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
    ReportLog::instance().reset();
    *handle = kNoConnection;
    return service.dial(&params, 0, notifier, handle);
}

} // namespace telmaq::test
