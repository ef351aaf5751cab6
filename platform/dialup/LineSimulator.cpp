#include "platform/dialup/LineSimulator.h"

#include "platform/dialup/ServiceAnswers.h"
#include "platform/dialup/SimulatorErrorText.h"

#include <cstring>

namespace telmaq {

namespace {

// The message number of a dial event, as the service passes it to a RasDialFunc notifier.
constexpr std::uint32_t kDialEventMessage = 0xCCCD;

std::int64_t wallClockMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

LineSimulator::LineSimulator(std::string databasePath)
    : m_database(std::move(databasePath)), m_worker([this] { run(); })
{}

LineSimulator::~LineSimulator()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_cv.notify_all();
    m_worker.join();
    for (const auto& [handle, dial] : m_dials)
        if (!dial.connected)
            m_database.removeConnection(handle);
}

std::uint32_t LineSimulator::enumEntries(RASENTRYNAMEA* entries, std::uint32_t* bufferSize, std::uint32_t* count)
{
    std::vector<std::string> names;
    if (std::uint32_t code = m_database.entryNames(names))
        return code;
    return answerListing(entries, bufferSize, count, names.size(), [&](std::size_t i, RASENTRYNAMEA& record) {
        copyText(record.szEntryName, sizeof record.szEntryName, names[i]);
    });
}

std::uint32_t LineSimulator::enumConnections(RASCONNA* connections, std::uint32_t* bufferSize, std::uint32_t* count)
{
    std::vector<SimConnection> list;
    if (std::uint32_t code = m_database.connections(list, wallClockMs()))
        return code;
    return answerListing(connections, bufferSize, count, list.size(), [&](std::size_t i, RASCONNA& record) {
        record.hrasconn = list[i].handle;
        copyText(record.szEntryName, sizeof record.szEntryName, list[i].entry);
        copyText(record.szDeviceType, sizeof record.szDeviceType, SimulatorDatabase::kDeviceType);
        copyText(record.szDeviceName, sizeof record.szDeviceName, list[i].device);
    });
}

std::uint32_t LineSimulator::getEntryDialParams(RASDIALPARAMSA* params, bool* passwordRetrieved)
{
    if (!params)
        return ERROR_INVALID_PARAMETER_RAS;
    if (params->dwSize != sizeof(RASDIALPARAMSA))
        return ERROR_INVALID_SIZE;
    SimEntry entry;
    if (std::uint32_t code = m_database.findEntry(fieldText(params->szEntryName, sizeof params->szEntryName), entry))
        return code;
    copyText(params->szPhoneNumber, sizeof params->szPhoneNumber, entry.phone);
    if (entry.user)
        copyText(params->szUserName, sizeof params->szUserName, *entry.user);
    if (entry.password)
        copyText(params->szPassword, sizeof params->szPassword, *entry.password);
    if (entry.domain)
        copyText(params->szDomain, sizeof params->szDomain, *entry.domain);
    if (passwordRetrieved)
        *passwordRetrieved = entry.password.has_value();
    return 0;
}

std::uint32_t LineSimulator::dial(const RASDIALPARAMSA* params, std::uint32_t notifierType, RasDialFunc notifier,
                                  HRASCONN* connection)
{
    if (!params || !connection || notifierType != 0)
        return ERROR_INVALID_PARAMETER_RAS;
    if (params->dwSize != sizeof(RASDIALPARAMSA))
        return ERROR_INVALID_SIZE;
    SimulatorDatabase::DialStart start;
    if (std::uint32_t code =
            m_database.startDial(fieldText(params->szEntryName, sizeof params->szEntryName), wallClockMs(), start))
        return code;
    const auto line = LineBehaviour::parse(start.entry.line);
    if (!line) {
        // Only a file edited by hand gets here; the tools refuse such a behaviour.
        m_database.removeConnection(start.handle);
        return ERROR_CANNOT_LOAD_PHONEBOOK;
    }
    const bool wrongPassword =
        start.entry.password && *start.entry.password != fieldText(params->szPassword, sizeof params->szPassword);

    Dial dial;
    dial.notifier = notifier;
    dial.steps = dialSteps(*line, start.dialNumber, wrongPassword);
    dial.stepDelay = std::chrono::milliseconds(start.entry.stepMs);
    dial.drops = line->kind == LineBehaviour::Kind::Drop;
    dial.dropAfterMs = line->dropAfterMs;
    dial.due = std::chrono::steady_clock::now();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_dials[start.handle] = std::move(dial);
        m_dialledHere.insert(start.handle);
    }
    *connection = start.handle;
    m_cv.notify_all();
    return 0;
}

std::uint32_t LineSimulator::hangUp(HRASCONN connection)
{
    bool known;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        known = m_dials.erase(connection) > 0 || m_dialledHere.count(connection) > 0;
        // After the hang-up the notifier is never called again: wait out a report that is on
        // its way, unless the notifier itself is hanging up.
        if (connection != kNoConnection && std::this_thread::get_id() != m_worker.get_id())
            m_cv.wait(lock, [&] { return m_delivering != connection; });
    }
    const bool removed = connection != kNoConnection && m_database.removeConnection(connection);
    return removed || known ? 0 : ERROR_INVALID_HANDLE_RAS;
}

std::uint32_t LineSimulator::getErrorString(std::uint32_t code, char* buffer, std::uint32_t bufferSize)
{
    return answerErrorText(simulatorErrorText(code), buffer, bufferSize);
}

bool LineSimulator::recordReport(HRASCONN handle, const DialStep& report, bool drops, std::uint32_t dropAfterMs)
{
    if (report.state == RASCS_Disconnected || report.error != 0)
        return m_database.removeConnection(handle);
    if (report.state == RASCS_Connected) {
        const std::int64_t now = wallClockMs();
        return m_database.markConnected(handle, now, drops ? now + dropAfterMs : 0);
    }
    return m_database.connectionExists(handle);
}

void LineSimulator::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stopping) {
        if (m_dials.empty()) {
            m_cv.wait(lock);
            continue;
        }
        auto soonest = m_dials.begin();
        for (auto it = m_dials.begin(); it != m_dials.end(); ++it)
            if (it->second.due < soonest->second.due)
                soonest = it;
        // A copy: a hang-up may take the dial away while we wait.
        const SteadyTime due = soonest->second.due;
        if (due > std::chrono::steady_clock::now()) {
            m_cv.wait_until(lock, due);
            continue;
        }

        const HRASCONN handle = soonest->first;
        Dial& dial = soonest->second;
        DialStep report{RASCS_Disconnected, ERROR_REMOTE_DISCONNECTION};
        if (!dial.awaitingDrop)
            report = dial.steps[dial.next++];
        const bool lastReport = dial.awaitingDrop || report.error != 0 || dial.next >= dial.steps.size();
        const bool startsDropWait = !dial.awaitingDrop && report.state == RASCS_Connected && dial.drops;
        const RasDialFunc notifier = dial.notifier;
        const bool drops = dial.drops;
        const std::uint32_t dropAfterMs = dial.dropAfterMs;
        m_delivering = handle;

        lock.unlock();
        const bool live = recordReport(handle, report, drops, dropAfterMs);
        lock.lock();
        // Gone from the shared file: another process hung the line up. A real service tells
        // the dialler, who would otherwise wait for a report that never comes.
        if (!live)
            report = DialStep{RASCS_Disconnected, ERROR_USER_DISCONNECTION};
        // A hang-up while the file was written has taken the dial away: say nothing more.
        auto current = m_dials.find(handle);
        if (current != m_dials.end() && live && report.state == RASCS_Connected)
            current->second.connected = true;
        bool stillDialling = current != m_dials.end() && !m_stopping;
        if (stillDialling && notifier) {
            lock.unlock();
            notifier(kDialEventMessage, report.state, report.error);
            lock.lock();
            stillDialling = m_dials.count(handle) > 0;
        }
        m_delivering = kNoConnection;
        m_cv.notify_all();
        if (!stillDialling)
            continue;
        auto it = m_dials.find(handle);
        if (!live || (lastReport && !startsDropWait)) {
            m_dials.erase(it);
        } else if (startsDropWait) {
            it->second.awaitingDrop = true;
            it->second.due = std::chrono::steady_clock::now() + std::chrono::milliseconds(dropAfterMs);
        } else {
            it->second.due = std::chrono::steady_clock::now() + it->second.stepDelay;
        }
    }
}

} // namespace telmaq
