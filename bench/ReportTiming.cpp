#include "bench/ReportTiming.h"

#include "connection/DialStatusText.h"

#include <atomic>

namespace telmaq::bench {

namespace {

// The service calls a plain function; this is how it finds the one object listening.
std::atomic<ReportTiming*> g_listener{nullptr};

} // namespace

ReportTiming::ReportTiming(IDialupService& service) : m_service(service)
{
    g_listener = this;
}

ReportTiming::~ReportTiming()
{
    g_listener = nullptr;
}

std::uint32_t ReportTiming::enumEntries(RASENTRYNAMEA* entries, std::uint32_t* size, std::uint32_t* count)
{
    return m_service.enumEntries(entries, size, count);
}

std::uint32_t ReportTiming::enumConnections(RASCONNA* connections, std::uint32_t* size, std::uint32_t* count)
{
    return m_service.enumConnections(connections, size, count);
}

std::uint32_t ReportTiming::getEntryDialParams(RASDIALPARAMSA* params, bool* passwordRetrieved)
{
    return m_service.getEntryDialParams(params, passwordRetrieved);
}

std::uint32_t ReportTiming::dial(const RASDIALPARAMSA* params, std::uint32_t notifierType, RasDialFunc notifier,
                                 HRASCONN* connection)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_reports.clear();
        m_forward = notifier;
    }
    return m_service.dial(params, notifierType, &ReportTiming::timedNotifier, connection);
}

std::uint32_t ReportTiming::hangUp(HRASCONN connection)
{
    return m_service.hangUp(connection);
}

std::uint32_t ReportTiming::getErrorString(std::uint32_t code, char* buffer, std::uint32_t size)
{
    return m_service.getErrorString(code, buffer, size);
}

bool ReportTiming::reportTime(const std::string& text, BenchClock::time_point* when) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto it = m_reports.rbegin(); it != m_reports.rend(); ++it) {
        if (text == dialStatusText(it->state)) {
            *when = it->when;
            return true;
        }
    }
    return false;
}

int ReportTiming::reports() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_count;
}

void ReportTiming::timedNotifier(std::uint32_t message, std::uint32_t state, std::uint32_t error)
{
    ReportTiming* self = g_listener.load();
    if (!self)
        return;
    self->note(state, error);
    RasDialFunc forward;
    {
        std::lock_guard<std::mutex> lock(self->m_mutex);
        forward = self->m_forward;
    }
    if (forward)
        forward(message, state, error);
}

void ReportTiming::note(std::uint32_t state, std::uint32_t error)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_count;
    if (error == 0)
        m_reports.push_back({state, BenchClock::now()});
}

} // namespace telmaq::bench
