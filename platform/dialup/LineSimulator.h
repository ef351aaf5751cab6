#pragma once

#include "platform/dialup/DialupService.h"
#include "platform/dialup/LineBehaviour.h"
#include "platform/dialup/SimulatorDatabase.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace telmaq {

// The built-in dial-up service: a phonebook and the active connections in one SQLite file
// shared by every process of the user, with lines that connect, ring busy, fail or drop as
// each entry's line behaviour says. Dials progress on a thread of the simulator's own, one
// step delay apart, and their notifiers are called on that thread.
class LineSimulator : public IDialupService
{
public:
    explicit LineSimulator(std::string databasePath);
    // Ends the worker. Dials still in progress are abandoned (their rows go); connected lines
    // stay up, as they outlive the process on a real service.
    ~LineSimulator() override;
    LineSimulator(const LineSimulator&) = delete;
    LineSimulator& operator=(const LineSimulator&) = delete;

    // The phonebook itself, for the tools that edit it.
    SimulatorDatabase& database() { return m_database; }

    std::uint32_t enumEntries(RASENTRYNAMEA* entries, std::uint32_t* bufferSize, std::uint32_t* count) override;
    std::uint32_t enumConnections(RASCONNA* connections, std::uint32_t* bufferSize, std::uint32_t* count) override;
    std::uint32_t getEntryDialParams(RASDIALPARAMSA* params, bool* passwordRetrieved) override;
    // Only notifier type 0 (RasDialFunc) is offered; a null notifier dials without reports.
    std::uint32_t dial(const RASDIALPARAMSA* params, std::uint32_t notifierType, RasDialFunc notifier,
                       HRASCONN* connection) override;
    std::uint32_t hangUp(HRASCONN connection) override;
    std::uint32_t getErrorString(std::uint32_t code, char* buffer, std::uint32_t bufferSize) override;

private:
    using SteadyTime = std::chrono::steady_clock::time_point;

    struct Dial
    {
        RasDialFunc notifier = nullptr;
        std::vector<DialStep> steps;
        std::size_t next = 0;
        std::chrono::milliseconds stepDelay{0};
        std::uint32_t dropAfterMs = 0;
        bool drops = false;
        bool connected = false; // the line is up; it outlives this simulator
        bool awaitingDrop = false;
        SteadyTime due;
    };

    void run();
    // Takes the due report of dial handle out of the file's view and says whether it still
    // belongs to a live connection (another process may have hung it up).
    bool recordReport(HRASCONN handle, const DialStep& report, bool drops, std::uint32_t dropAfterMs);

    SimulatorDatabase m_database;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::map<HRASCONN, Dial> m_dials;
    std::set<HRASCONN> m_dialledHere;
    HRASCONN m_delivering = kNoConnection;
    bool m_stopping = false;
    std::thread m_worker; // last, so that it starts after everything above
};

} // namespace telmaq
