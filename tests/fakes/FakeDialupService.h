#pragma once

#include "platform/dialup/LineBehaviour.h"
#include "platform/dialup/ServiceAnswers.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace telmaq::test {

// A dial-up service that does what the test tells it to: a phonebook and connections in
// memory, every call counted and its arguments kept, and a script of (state, error) reports
// for every dial played on a notifier thread of its own, as the real service does. Reports
// may be held back and released one at a time. Safe to call from any thread.
class FakeDialupService : public IDialupService
{
public:
    using Report = DialStep;
    using Script = std::vector<Report>;
    // What the service has stored for an entry; a field left empty is not filled in.
    struct Stored
    {
        std::optional<std::string> phone, user, password, domain;
    };
    struct Connection
    {
        HRASCONN handle;
        std::string entry;
    };

    static Script connectingScript() { return dialSteps(LineBehaviour{}, 1, false); }
    // A dial that fails with code while the device connects.
    static Script failingScript(std::uint32_t code)
    {
        return {{RASCS_OpenPort, 0}, {RASCS_PortOpened, 0}, {RASCS_ConnectDevice, code}};
    }

    FakeDialupService() : m_worker([this] { run(); }) {}
    ~FakeDialupService() override
    {
        locked([&] { m_stopping = true; });
        m_worker.join();
    }

    void addEntry(const std::string& name, Stored stored = {})
    {
        locked([&] { m_entries.push_back(name), m_stored[name] = std::move(stored); });
    }
    void addEntries(int count, const std::string& prefix = "entry ")
    {
        for (int i = 0; i < count; ++i)
            addEntry(prefix + std::to_string(i));
    }
    // A connection another program dialled; answers its handle.
    HRASCONN addConnection(const std::string& entry)
    {
        return locked([&] { return m_connections.emplace_back(Connection{m_nextHandle++, entry}).handle; });
    }
    void clearConnections() { set(m_connections, std::vector<Connection>{}); }

    // The next call answers code at once (one answer per call, in order); a failed dial
    // still hands out a handle (and plays no reports) with storeHandle.
    void failNextEnumEntries(std::uint32_t code) { push(m_entryListing.answers, code); }
    void failNextEnumConnections(std::uint32_t code) { push(m_connectionListing.answers, code); }
    void failNextGetParams(std::uint32_t code) { push(m_getParamsAnswers, code); }
    void failNextDial(std::uint32_t code, bool storeHandle) { push(m_dialAnswers, DialAnswer{code, storeHandle}); }
    // The connection listing claims to need this many bytes, whatever it holds (0: off).
    void claimConnectionsNeed(std::uint32_t bytes) { set(m_connectionListing.claim, bytes); }
    // Runs at the start of every listing with the call's number (from 1), unlocked, so
    // that it may change the phonebook.
    void onEnumEntries(std::function<void(int)> hook) { set(m_entryListing.hook, std::move(hook)); }
    void onEnumConnections(std::function<void(int)> hook) { set(m_connectionListing.hook, std::move(hook)); }
    // The reports of the next dial, one script per dial; then every dial plays the default.
    void scriptDial(Script script) { push(m_scripts, std::move(script)); }
    void setDefaultScript(Script script) { set(m_defaultScript, std::move(script)); }
    void setErrorString(std::uint32_t code, const std::string& text) { set(m_errorStrings[code], text); }

    // From now on reports wait until released.
    void holdReports() { set(m_holding, true); }
    void releaseReports(int count = 1)
    {
        locked([&] { m_released += count; });
    }
    // Waits until count reports in all have been delivered; false on time-out.
    bool waitForDeliveries(std::size_t count)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_cv.wait_for(lock, std::chrono::seconds(30), [&] { return m_delivered >= count; });
    }
    std::size_t pendingReports() const { return get(m_pending).size(); }
    std::size_t delivered() const { return get(m_delivered); }

    int enumEntriesCalls() const { return get(m_entryListing.calls); }
    int getParamsCalls() const { return get(m_paramsCalls); }
    int hangUpCalls() const { return static_cast<int>(hungUp().size()); }
    int totalCalls() const { return get(m_totalCalls); }
    // The capacity in bytes handed in by every listing call, in order.
    std::vector<std::uint32_t> entriesCapacities() const { return get(m_entryListing.capacities); }
    // The records handed in, as they came.
    std::vector<RASDIALPARAMSA> paramsRequests() const { return get(m_paramsRequests); }
    std::vector<RASDIALPARAMSA> dialParams() const { return get(m_dialParams); }
    std::vector<std::uint32_t> dialNotifierTypes() const { return get(m_notifierTypes); }
    // The handle each dial was handed to fill in.
    std::vector<HRASCONN> handlesAtDial() const { return get(m_handlesAtDial); }
    std::vector<HRASCONN> hungUp() const { return get(m_hungUp); }
    std::vector<Connection> connections() const { return get(m_connections); }
    HRASCONN lastDialHandle() const { return get(m_lastDialHandle); }

    std::uint32_t enumEntries(RASENTRYNAMEA* entries, std::uint32_t* bufferSize, std::uint32_t* count) override
    {
        return list(m_entryListing, m_entries, entries, bufferSize, count,
                    [](RASENTRYNAMEA& r, const std::string& e) { copyText(r.szEntryName, sizeof r.szEntryName, e); });
    }
    std::uint32_t enumConnections(RASCONNA* connections, std::uint32_t* bufferSize, std::uint32_t* count) override
    {
        return list(m_connectionListing, m_connections, connections, bufferSize, count,
                    [](RASCONNA& r, const Connection& c) {
                        r.hrasconn = c.handle;
                        copyText(r.szEntryName, sizeof r.szEntryName, c.entry);
                    });
    }

    std::uint32_t getEntryDialParams(RASDIALPARAMSA* params, bool* passwordRetrieved) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_paramsCalls, ++m_totalCalls;
        if (!params)
            return ERROR_INVALID_PARAMETER_RAS;
        m_paramsRequests.push_back(*params);
        if (!m_getParamsAnswers.empty())
            return pop(m_getParamsAnswers);
        if (params->dwSize != sizeof(RASDIALPARAMSA))
            return ERROR_INVALID_SIZE;
        const auto found = m_stored.find(fieldText(params->szEntryName, sizeof params->szEntryName));
        if (found == m_stored.end())
            return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
        const Stored& s = found->second;
        const auto copy = [](const std::optional<std::string>& text, auto& field) {
            if (text)
                copyText(field, sizeof field, *text);
        };
        copy(s.phone, params->szPhoneNumber);
        copy(s.user, params->szUserName);
        copy(s.password, params->szPassword);
        copy(s.domain, params->szDomain);
        if (passwordRetrieved)
            *passwordRetrieved = s.password.has_value();
        return 0;
    }

    std::uint32_t dial(const RASDIALPARAMSA* params, std::uint32_t notifierType, RasDialFunc notifier,
                       HRASCONN* connection) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_totalCalls;
        if (!params || !connection)
            return ERROR_INVALID_PARAMETER_RAS;
        m_dialParams.push_back(*params);
        m_notifierTypes.push_back(notifierType);
        m_handlesAtDial.push_back(*connection);
        const DialAnswer answer = m_dialAnswers.empty() ? DialAnswer{0, true} : pop(m_dialAnswers);
        if (answer.storeHandle)
            *connection = m_lastDialHandle = m_nextHandle++;
        if (answer.code != 0)
            return answer.code;
        m_connections.push_back({*connection, fieldText(params->szEntryName, sizeof params->szEntryName)});
        const Script script = m_scripts.empty() ? m_defaultScript : pop(m_scripts);
        for (const Report& report : script)
            if (notifier)
                m_pending.push_back({*connection, notifier, report});
        m_cv.notify_all();
        return 0;
    }

    std::uint32_t hangUp(HRASCONN connection) override
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        ++m_totalCalls;
        m_hungUp.push_back(connection);
        m_pending.erase(std::remove_if(m_pending.begin(), m_pending.end(),
                                       [&](const Pending& p) { return p.handle == connection; }),
                        m_pending.end());
        // After the hang-up the notifier is never called again: wait out a report that is on
        // its way, unless the notifier itself is hanging up.
        if (connection != kNoConnection && std::this_thread::get_id() != m_worker.get_id())
            m_cv.wait(lock, [&] { return m_delivering != connection; });
        const auto before = m_connections.size();
        m_connections.erase(std::remove_if(m_connections.begin(), m_connections.end(),
                                           [&](const Connection& c) { return c.handle == connection; }),
                            m_connections.end());
        m_cv.notify_all();
        const bool known = before != m_connections.size() || (connection != kNoConnection && connection < m_nextHandle);
        return known ? 0 : ERROR_INVALID_HANDLE_RAS;
    }

    std::uint32_t getErrorString(std::uint32_t code, char* buffer, std::uint32_t bufferSize) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_totalCalls;
        const auto found = m_errorStrings.find(code);
        return answerErrorText(found == m_errorStrings.end() ? nullptr : found->second.c_str(), buffer, bufferSize);
    }

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
    struct Listing
    {
        int calls = 0;
        std::function<void(int)> hook;
        std::deque<std::uint32_t> answers;
        std::uint32_t claim = 0;
        std::vector<std::uint32_t> capacities;
    };

    template <typename Record, typename Items, typename Fill>
    std::uint32_t list(Listing& listing, const Items& items, Record* records, std::uint32_t* bufferSize,
                       std::uint32_t* count, Fill fill)
    {
        std::function<void(int)> hook;
        const int call = locked([&] {
            hook = listing.hook;
            ++m_totalCalls;
            return ++listing.calls;
        });
        if (hook)
            hook(call);
        std::lock_guard<std::mutex> lock(m_mutex);
        if (bufferSize)
            listing.capacities.push_back(*bufferSize);
        if (!listing.answers.empty())
            return pop(listing.answers);
        if (bufferSize && count && *bufferSize < listing.claim) {
            *bufferSize = listing.claim;
            *count = static_cast<std::uint32_t>(items.size());
            return ERROR_BUFFER_TOO_SMALL;
        }
        return answerListing(records, bufferSize, count, items.size(),
                             [&](std::size_t i, Record& record) { fill(record, items[i]); });
    }

    // Runs f under the lock; the waiters it notifies look again once the lock is free.
    template <typename F> auto locked(F f) const -> decltype(f())
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_cv.notify_all();
        return f();
    }
    template <typename T> T get(const T& member) const
    {
        return locked([&] { return member; });
    }
    template <typename T, typename V> void set(T& member, V value)
    {
        locked([&] { member = std::move(value); });
    }
    template <typename T, typename V> void push(std::deque<T>& queue, V value)
    {
        locked([&] { queue.push_back(std::move(value)); });
    }
    template <typename T> static T pop(std::deque<T>& queue)
    {
        T front = std::move(queue.front());
        queue.pop_front();
        return front;
    }
    void run()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_cv.wait(lock, [&] { return m_stopping || (!m_pending.empty() && (!m_holding || m_released > 0)); });
            if (m_stopping)
                return;
            const Pending next = pop(m_pending);
            m_released -= m_holding ? 1 : 0;
            m_delivering = next.handle;
            lock.unlock();
            next.notifier(0xCCCD, next.report.state, next.report.error);
            lock.lock();
            ++m_delivered;
            m_delivering = kNoConnection;
            m_cv.notify_all();
        }
    }

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_cv;
    std::vector<std::string> m_entries;
    std::map<std::string, Stored> m_stored;
    std::vector<Connection> m_connections;
    std::map<std::uint32_t, std::string> m_errorStrings;
    HRASCONN m_nextHandle = 0x100;
    HRASCONN m_lastDialHandle = kNoConnection;
    Listing m_entryListing, m_connectionListing;
    std::deque<std::uint32_t> m_getParamsAnswers;
    std::deque<DialAnswer> m_dialAnswers;
    std::deque<Script> m_scripts;
    Script m_defaultScript = connectingScript();
    int m_paramsCalls = 0, m_totalCalls = 0;
    std::vector<RASDIALPARAMSA> m_paramsRequests, m_dialParams;
    std::vector<std::uint32_t> m_notifierTypes;
    std::vector<HRASCONN> m_handlesAtDial, m_hungUp;
    std::deque<Pending> m_pending;
    std::size_t m_delivered = 0;
    HRASCONN m_delivering = kNoConnection;
    bool m_holding = false;
    int m_released = 0;
    bool m_stopping = false;
    // Last, so that it starts after every member above is ready.
    std::thread m_worker;
};

} // namespace telmaq::test
