#pragma once

#include "platform/dialup/DialupService.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace telmaq::test {

// A dial-up service that does what the test tells it to. It keeps a phonebook and a list of
// connections in memory, counts every call, keeps a copy of what it was handed, and plays a
// script of (state, error) reports for every dial on a notifier thread of its own, as the
// real service does. A test may hold the reports back and release them one at a time.
// Every member is safe to call from any thread.
class FakeDialupService : public IDialupService
{
public:
    // The message number the service passes to a RasDialFunc notifier.
    static constexpr std::uint32_t kDialEventMessage = 0xCCCD;

    struct Report
    {
        std::uint32_t state;
        std::uint32_t error;
    };
    using Script = std::vector<Report>;

    // What the service has stored for an entry; a field left empty is not filled in.
    struct Stored
    {
        std::optional<std::string> phone;
        std::optional<std::string> user;
        std::optional<std::string> password;
        std::optional<std::string> domain;
    };

    struct Connection
    {
        HRASCONN handle;
        std::string entry;
        std::string deviceType = "modem";
        std::string deviceName = "Fake Modem";
    };

    struct Delivery
    {
        HRASCONN handle;
        std::uint32_t message;
        std::uint32_t state;
        std::uint32_t error;
        std::thread::id thread;
    };

    // The usual progress of a dial that connects.
    static Script connectingScript()
    {
        return {{RASCS_OpenPort, 0},        {RASCS_PortOpened, 0},        {RASCS_ConnectDevice, 0},
                {RASCS_DeviceConnected, 0}, {RASCS_AllDevicesConnected, 0}, {RASCS_Authenticate, 0},
                {RASCS_Authenticated, 0},   {RASCS_Connected, 0}};
    }
    // A dial that fails with code while the device connects (busy, no answer, no dial tone).
    static Script failingScript(std::uint32_t code)
    {
        return {{RASCS_OpenPort, 0}, {RASCS_PortOpened, 0}, {RASCS_ConnectDevice, code}};
    }

    FakeDialupService() : m_worker([this] { run(); }) {}
    ~FakeDialupService() override
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stopping = true;
        }
        m_cv.notify_all();
        m_worker.join();
    }
    FakeDialupService(const FakeDialupService&) = delete;
    FakeDialupService& operator=(const FakeDialupService&) = delete;

    // ---- set-up ---------------------------------------------------------------------------

    void addEntry(const std::string& name, Stored stored = {})
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_entries.push_back(name);
        m_stored[name] = std::move(stored);
    }
    void addEntries(int count, const std::string& prefix = "entry ")
    {
        for (int i = 0; i < count; ++i)
            addEntry(prefix + std::to_string(i));
    }
    // Adds an active connection, as if another program had dialled it; answers its handle.
    HRASCONN addConnection(const std::string& entry)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const HRASCONN handle = m_nextHandle++;
        m_connections.push_back({handle, entry});
        return handle;
    }
    void clearConnections()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_connections.clear();
    }

    // The next listing answers code at once, touching nothing (one answer per call, in order).
    void failNextEnumEntries(std::uint32_t code) { push(m_entryListing.answers, code); }
    void failNextEnumConnections(std::uint32_t code) { push(m_connectionListing.answers, code); }
    void failNextGetParams(std::uint32_t code) { push(m_getParamsAnswers, code); }
    // The next dial answers code; with storeHandle it still hands out a handle (and no reports).
    void failNextDial(std::uint32_t code, bool storeHandle)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_dialAnswers.push_back({code, storeHandle});
    }
    // A listing claims to need this many bytes, whatever it holds (0 turns that off).
    void claimEntriesNeed(std::uint32_t bytes) { set(m_entryListing.claim, bytes); }
    void claimConnectionsNeed(std::uint32_t bytes) { set(m_connectionListing.claim, bytes); }
    // Called at the start of every listing of the entries, with the call's number (from 1),
    // without the fake's lock held, so that it may change the phonebook.
    void onEnumEntries(std::function<void(int)> hook) { set(m_entryListing.hook, std::move(hook)); }
    void onEnumConnections(std::function<void(int)> hook) { set(m_connectionListing.hook, std::move(hook)); }

    // The reports of the next dial (one script per dial, in order); once the scripts run out
    // every dial plays the default script, connectingScript() unless changed.
    void scriptDial(Script script)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_scripts.push_back(std::move(script));
    }
    void setDefaultScript(Script script)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_defaultScript = std::move(script);
    }

    void setErrorString(std::uint32_t code, const std::string& text)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_errorStrings[code] = text;
    }

    // ---- pacing the reports ---------------------------------------------------------------

    // From now on reports wait until released.
    void holdReports() { set(m_holding, true); }
    // Lets count more reports go, in order.
    void releaseReports(int count = 1)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_released += count;
        }
        m_cv.notify_all();
    }
    // Lets every report go, now and later.
    void releaseAllReports()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_holding = false;
        }
        m_cv.notify_all();
    }
    // Waits until count reports in all have been delivered; false on time-out.
    bool waitForDeliveries(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(30))
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_cv.wait_for(lock, timeout, [&] { return m_deliveries.size() >= count; });
    }
    // Waits until no report is pending or being delivered; false on time-out.
    bool waitUntilQuiet(std::chrono::milliseconds timeout = std::chrono::seconds(30))
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_cv.wait_for(lock, timeout, [&] { return m_pending.empty() && m_delivering == kNoConnection; });
    }
    std::size_t pendingReports() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_pending.size();
    }

    // ---- what happened --------------------------------------------------------------------

    int enumEntriesCalls() const { return get(m_entryListing.calls); }
    int enumConnectionsCalls() const { return get(m_connectionListing.calls); }
    int getParamsCalls() const { return get(m_getParamsCalls); }
    int dialCalls() const { return get(m_dialCalls); }
    int hangUpCalls() const { return get(m_hangUpCalls); }
    int errorStringCalls() const { return get(m_errorStringCalls); }
    int totalCalls() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_entryListing.calls + m_connectionListing.calls + m_getParamsCalls + m_dialCalls + m_hangUpCalls +
               m_errorStringCalls;
    }
    // The capacity in bytes handed in by every listing call, in order.
    std::vector<std::uint32_t> entriesCapacities() const { return get(m_entryListing.capacities); }
    std::vector<std::uint32_t> connectionsCapacities() const { return get(m_connectionListing.capacities); }
    // The record handed to every getEntryDialParams call, as it came in.
    std::vector<RASDIALPARAMSA> paramsRequests() const { return get(m_paramsRequests); }
    // The record and notifier type handed to every dial, as they came in.
    std::vector<RASDIALPARAMSA> dialParams() const { return get(m_dialParams); }
    std::vector<std::uint32_t> dialNotifierTypes() const { return get(m_notifierTypes); }
    std::vector<HRASCONN> hungUp() const { return get(m_hungUp); }
    std::vector<Delivery> deliveries() const { return get(m_deliveries); }
    std::vector<Connection> connections() const { return get(m_connections); }
    // The handle handed out by the last dial, or none.
    HRASCONN lastDialHandle() const { return get(m_lastDialHandle); }

    // ---- IDialupService -------------------------------------------------------------------

    std::uint32_t enumEntries(RASENTRYNAMEA* entries, std::uint32_t* bufferSize, std::uint32_t* count) override
    {
        return list(m_entryListing, m_entries, entries, bufferSize, count, [](RASENTRYNAMEA& r, const std::string& e) {
            copyText(r.szEntryName, sizeof r.szEntryName, e);
        });
    }

    std::uint32_t enumConnections(RASCONNA* connections, std::uint32_t* bufferSize, std::uint32_t* count) override
    {
        return list(m_connectionListing, m_connections, connections, bufferSize, count,
                    [](RASCONNA& r, const Connection& c) {
                        r.hrasconn = c.handle;
                        copyText(r.szEntryName, sizeof r.szEntryName, c.entry);
                        copyText(r.szDeviceType, sizeof r.szDeviceType, c.deviceType);
                        copyText(r.szDeviceName, sizeof r.szDeviceName, c.deviceName);
                    });
    }

    std::uint32_t getEntryDialParams(RASDIALPARAMSA* params, bool* passwordRetrieved) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_getParamsCalls;
        if (!params)
            return 87;
        m_paramsRequests.push_back(*params);
        if (!m_getParamsAnswers.empty()) {
            const std::uint32_t answer = m_getParamsAnswers.front();
            m_getParamsAnswers.pop_front();
            return answer;
        }
        if (params->dwSize != sizeof(RASDIALPARAMSA))
            return ERROR_INVALID_SIZE;
        const auto found = m_stored.find(std::string(params->szEntryName, ::strnlen(params->szEntryName, 257)));
        if (found == m_stored.end())
            return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
        const Stored& stored = found->second;
        if (stored.phone)
            copyText(params->szPhoneNumber, sizeof params->szPhoneNumber, *stored.phone);
        if (stored.user)
            copyText(params->szUserName, sizeof params->szUserName, *stored.user);
        if (stored.password)
            copyText(params->szPassword, sizeof params->szPassword, *stored.password);
        if (stored.domain)
            copyText(params->szDomain, sizeof params->szDomain, *stored.domain);
        if (passwordRetrieved)
            *passwordRetrieved = stored.password.has_value();
        return 0;
    }

    std::uint32_t dial(const RASDIALPARAMSA* params, std::uint32_t notifierType, RasDialFunc notifier,
                       HRASCONN* connection) override
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            ++m_dialCalls;
            if (!params || !connection)
                return 87;
            m_dialParams.push_back(*params);
            m_notifierTypes.push_back(notifierType);
            if (!m_dialAnswers.empty()) {
                const DialAnswer answer = m_dialAnswers.front();
                m_dialAnswers.pop_front();
                if (answer.storeHandle) {
                    *connection = m_nextHandle++;
                    m_lastDialHandle = *connection;
                }
                return answer.code;
            }
            const HRASCONN handle = m_nextHandle++;
            *connection = handle;
            m_lastDialHandle = handle;
            m_connections.push_back({handle, std::string(params->szEntryName, ::strnlen(params->szEntryName, 257))});
            Script script = m_defaultScript;
            if (!m_scripts.empty()) {
                script = std::move(m_scripts.front());
                m_scripts.pop_front();
            }
            if (notifier)
                for (const Report& report : script)
                    m_pending.push_back({handle, notifier, report});
        }
        m_cv.notify_all();
        return 0;
    }

    std::uint32_t hangUp(HRASCONN connection) override
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        ++m_hangUpCalls;
        m_hungUp.push_back(connection);
        m_pending.erase(std::remove_if(m_pending.begin(), m_pending.end(),
                                       [&](const Pending& p) { return p.handle == connection; }),
                        m_pending.end());
        // The notifier of a hung-up connection is never called again, so wait for a report
        // that is being delivered right now; unless the notifier itself is hanging up.
        if (connection != kNoConnection && std::this_thread::get_id() != m_worker.get_id())
            m_cv.wait(lock, [&] { return m_delivering != connection; });
        const auto before = m_connections.size();
        m_connections.erase(std::remove_if(m_connections.begin(), m_connections.end(),
                                           [&](const Connection& c) { return c.handle == connection; }),
                            m_connections.end());
        const bool known = before != m_connections.size() || (connection != kNoConnection && connection < m_nextHandle);
        m_cv.notify_all();
        return known ? 0 : ERROR_INVALID_HANDLE_RAS;
    }

    std::uint32_t getErrorString(std::uint32_t code, char* buffer, std::uint32_t bufferSize) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_errorStringCalls;
        const auto found = m_errorStrings.find(code);
        if (found == m_errorStrings.end())
            return 87;
        if (!buffer || found->second.size() + 1 > bufferSize)
            return ERROR_INSUFFICIENT_BUFFER;
        std::memcpy(buffer, found->second.c_str(), found->second.size() + 1);
        return 0;
    }

    static constexpr std::uint32_t ERROR_INSUFFICIENT_BUFFER = 122;

private:
    struct Pending
    {
        HRASCONN handle;
        RasDialFunc notifier;
        Report report;
    };
    struct DialAnswer
    {
        std::uint32_t code;
        bool storeHandle;
    };
    // What one of the two listings was told and asked.
    struct Listing
    {
        int calls = 0;
        std::function<void(int)> hook;
        std::deque<std::uint32_t> answers;
        std::uint32_t claim = 0;
        std::vector<std::uint32_t> capacities;
    };

    // The capacity protocol both listings share; fill writes one record from one item. The
    // hook runs without the lock, so that it may change the phonebook.
    template <typename Record, typename Items, typename Fill>
    std::uint32_t list(Listing& listing, const Items& items, Record* records, std::uint32_t* bufferSize,
                       std::uint32_t* count, Fill fill)
    {
        std::function<void(int)> hook;
        int call;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            call = ++listing.calls;
            hook = listing.hook;
        }
        if (hook)
            hook(call);
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!bufferSize || !count)
            return 87;
        listing.capacities.push_back(*bufferSize);
        if (!listing.answers.empty()) {
            const std::uint32_t answer = listing.answers.front();
            listing.answers.pop_front();
            return answer;
        }
        if (!records || records[0].dwSize != sizeof(Record))
            return ERROR_INVALID_SIZE;
        const auto n = static_cast<std::uint32_t>(items.size());
        const std::uint32_t needed = std::max<std::uint32_t>(n * sizeof(Record), listing.claim);
        const bool fits = *bufferSize >= needed;
        *bufferSize = needed;
        *count = n;
        if (!fits)
            return ERROR_BUFFER_TOO_SMALL;
        for (std::uint32_t i = 0; i < n; ++i) {
            std::memset(&records[i], 0, sizeof(Record));
            records[i].dwSize = sizeof(Record);
            fill(records[i], items[i]);
        }
        return 0;
    }

    static void copyText(char* field, std::size_t size, const std::string& text)
    {
        const std::size_t n = std::min(size - 1, text.size());
        std::memcpy(field, text.data(), n);
        field[n] = '\0';
    }

    template <typename T> T get(const T& member) const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return member;
    }
    template <typename T, typename V> void set(T& member, V value)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            member = value;
        }
        m_cv.notify_all();
    }
    void push(std::deque<std::uint32_t>& answers, std::uint32_t code)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        answers.push_back(code);
    }

    void run()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_cv.wait(lock, [&] { return m_stopping || (!m_pending.empty() && (!m_holding || m_released > 0)); });
            if (m_stopping)
                return;
            const Pending next = m_pending.front();
            m_pending.pop_front();
            if (m_holding)
                --m_released;
            m_delivering = next.handle;
            lock.unlock();
            next.notifier(kDialEventMessage, next.report.state, next.report.error);
            lock.lock();
            m_deliveries.push_back(
                {next.handle, kDialEventMessage, next.report.state, next.report.error, std::this_thread::get_id()});
            m_delivering = kNoConnection;
            m_cv.notify_all();
        }
    }

    mutable std::mutex m_mutex;
    std::condition_variable m_cv;

    std::vector<std::string> m_entries;
    std::map<std::string, Stored> m_stored;
    std::vector<Connection> m_connections;
    std::map<std::uint32_t, std::string> m_errorStrings;
    HRASCONN m_nextHandle = 0x100;
    HRASCONN m_lastDialHandle = kNoConnection;

    Listing m_entryListing;
    Listing m_connectionListing;
    std::deque<std::uint32_t> m_getParamsAnswers;
    std::deque<DialAnswer> m_dialAnswers;
    std::deque<Script> m_scripts;
    Script m_defaultScript = connectingScript();

    int m_getParamsCalls = 0;
    int m_dialCalls = 0;
    int m_hangUpCalls = 0;
    int m_errorStringCalls = 0;
    std::vector<RASDIALPARAMSA> m_paramsRequests;
    std::vector<RASDIALPARAMSA> m_dialParams;
    std::vector<std::uint32_t> m_notifierTypes;
    std::vector<HRASCONN> m_hungUp;
    std::vector<Delivery> m_deliveries;

    std::deque<Pending> m_pending;
    HRASCONN m_delivering = kNoConnection;
    bool m_holding = false;
    int m_released = 0;
    bool m_stopping = false;

    // Declared last so that it starts after every member above is ready.
    std::thread m_worker;
};

} // namespace telmaq::test
