#pragma once

#include "platform/dialup/DialupService.h"

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace telmaq::bench {

using BenchClock = std::chrono::steady_clock;

// Stands between the connect procedure and the dial-up service and notes the moment each
// report leaves the service, so that the time until its text is on the screen can be told.
class ReportTiming : public IDialupService
{
public:
    explicit ReportTiming(IDialupService& service);
    ~ReportTiming() override;

    std::uint32_t enumEntries(RASENTRYNAMEA* entries, std::uint32_t* size, std::uint32_t* count) override;
    std::uint32_t enumConnections(RASCONNA* connections, std::uint32_t* size, std::uint32_t* count) override;
    std::uint32_t getEntryDialParams(RASDIALPARAMSA* params, bool* passwordRetrieved) override;
    std::uint32_t dial(const RASDIALPARAMSA* params, std::uint32_t notifierType, RasDialFunc notifier,
                       HRASCONN* connection) override;
    std::uint32_t hangUp(HRASCONN connection) override;
    std::uint32_t getErrorString(std::uint32_t code, char* buffer, std::uint32_t size) override;

    // The moment the latest report without an error whose status text is text was made, if
    // any since the last dial began.
    bool reportTime(const std::string& text, BenchClock::time_point* when) const;
    int reports() const;

private:
    static void timedNotifier(std::uint32_t message, std::uint32_t state, std::uint32_t error);
    void note(std::uint32_t state, std::uint32_t error);

    struct Report
    {
        std::uint32_t state;
        BenchClock::time_point when;
    };

    IDialupService& m_service;
    mutable std::mutex m_mutex;
    std::vector<Report> m_reports;
    int m_count = 0;
    RasDialFunc m_forward = nullptr;
};

} // namespace telmaq::bench
