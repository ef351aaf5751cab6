// A rasapi32.dll of ours that simulates the Remote Access Service under Wine, whose own is
// stubs: the tests and scripts/run-windows dial through it.
// It serves the phonebook of the file that TELMAQ_SIMRAS_PHONEBOOK names, read at every call,
// one entry a line, fields separated by tabs:
//
//     NAME  LINE  USER  PASSWORD  PHONE  STEP-MS     (PASSWORD "-": none stored)
//
// with the line simulator's behaviours. Its active connections live in memory shared by every
// process of the Wine prefix that uses the same phonebook file; dials report on a thread of
// the DLL's own. The record sizes are checked as the real service checks them, and are written
// here as numbers, so that a wrong layout in the program fails here and not on a user's
// Windows. TelmaqSimulatedRas is the marker a test checks before it trusts any answer.
#include "SimulatedLine.h"
#include "platform/dialup/SimulatorErrorText.h"

#include <windows.h>

#include <ras.h>
#include <raserror.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace {

using telmaq::simras::SimulatedDial;
using telmaq::simras::SimulatedStep;

constexpr bool kWide = sizeof(void*) == 8;
// The oldest ANSI layouts, packed to 4 bytes as the system's ras.h packs them.
constexpr DWORD kEntrySize = 264;
constexpr DWORD kConnectionSize = kWide ? 416 : 412;
constexpr DWORD kDialParamsSize = 1052;
constexpr std::size_t kConnectionEntryAt = kWide ? 12 : 8;
constexpr std::size_t kParamsEntryAt = 4, kParamsPhoneAt = 261, kParamsUserAt = 519, kParamsPasswordAt = 776;
constexpr UINT kDialEvent = 0xCCCD;

struct Entry
{
    std::string name, line, user, password, phone;
    bool hasPassword = false;
    DWORD stepMs = 0;
};

std::string phonebookPath()
{
    char path[2 * MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("TELMAQ_SIMRAS_PHONEBOOK", path, sizeof path);
    return length && length < sizeof path ? std::string(path, length) : std::string();
}

std::vector<Entry> readPhonebook(const std::string& path)
{
    std::vector<Entry> entries;
    std::ifstream in(path, std::ios::binary);
    std::string text;
    while (std::getline(in, text)) {
        std::vector<std::string> fields;
        std::stringstream line(text);
        for (std::string field; std::getline(line, field, '\t');)
            fields.push_back(field);
        fields.resize(6);
        if (fields[0].empty())
            continue;
        Entry entry{fields[0], fields[1], fields[2], fields[3], fields[4]};
        entry.hasPassword = fields[3] != "-";
        if (!entry.hasPassword)
            entry.password.clear();
        entry.stepMs = static_cast<DWORD>(std::strtoul(fields[5].c_str(), nullptr, 10));
        entries.push_back(entry);
    }
    return entries;
}

const Entry* findEntry(const std::vector<Entry>& entries, const char* name)
{
    for (const Entry& entry : entries)
        if (entry.name == name)
            return &entry;
    return nullptr;
}

// --- the state every process of the prefix sees ---

constexpr int kMaxConnections = 16;
constexpr int kMaxCounts = 64;
struct SharedConnection
{
    DWORD id;
    DWORD connected;
    char entry[RAS_MaxEntryName + 1];
};
struct SharedCount
{
    char entry[RAS_MaxEntryName + 1];
    DWORD dials;
};
struct SharedState
{
    DWORD nextId;
    SharedConnection connections[kMaxConnections];
    SharedCount counts[kMaxCounts];
};

class Shared
{
public:
    // The state of one phonebook file; null when it cannot be had.
    static Shared* of(const std::string& path)
    {
        static std::mutex mutex;
        static std::map<std::string, Shared*> opened;
        std::lock_guard<std::mutex> lock(mutex);
        Shared*& shared = opened[path];
        if (!shared) {
            // Named after the file, so that tests side by side never meet.
            std::uint32_t hash = 2166136261u;
            for (unsigned char c : path)
                hash = (hash ^ c) * 16777619u;
            const std::string name = "telmaq-simras-" + std::to_string(hash);
            HANDLE guard = CreateMutexA(nullptr, FALSE, (name + "-lock").c_str());
            HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(SharedState),
                                                (name + "-state").c_str());
            void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SharedState)) : nullptr;
            if (!guard || !view)
                return nullptr;
            shared = new Shared{guard, static_cast<SharedState*>(view)};
        }
        return shared;
    }

    // The state, for as long as the lock lives.
    struct Lock
    {
        explicit Lock(Shared& shared) : m_shared(shared) { WaitForSingleObject(shared.m_guard, INFINITE); }
        ~Lock() { ReleaseMutex(m_shared.m_guard); }
        SharedState& operator*() { return *m_shared.m_state; }
        SharedState* operator->() { return m_shared.m_state; }
        Shared& m_shared;
    };

    HANDLE m_guard;
    SharedState* m_state;
};

SharedConnection* findConnection(SharedState& state, DWORD id)
{
    for (SharedConnection& c : state.connections)
        if (id && c.id == id)
            return &c;
    return nullptr;
}

// Handles are pointers, with bits above the 32 of a number on 64-bit Windows, so that a
// caller that cuts them short fails here.
HRASCONN handleOf(DWORD id)
{
    return reinterpret_cast<HRASCONN>((static_cast<std::uintptr_t>(id) << (kWide ? 32 : 16)) | 0x5A);
}

DWORD idOf(HRASCONN handle)
{
    const auto bits = reinterpret_cast<std::uintptr_t>(handle);
    return (bits & 0xFFFF) == 0x5A ? static_cast<DWORD>(bits >> (kWide ? 32 : 16)) : 0;
}

// The dials of this process: their handles stay good for a hang-up after the dial failed, as
// the service's do, until they are hung up.
std::mutex g_dialledMutex;
std::vector<DWORD> g_dialledHere;

bool forgetDialledHere(DWORD id)
{
    std::lock_guard<std::mutex> lock(g_dialledMutex);
    for (auto it = g_dialledHere.begin(); it != g_dialledHere.end(); ++it)
        if (*it == id) {
            g_dialledHere.erase(it);
            return true;
        }
    return false;
}

std::atomic<DWORD> g_calls[6];
const char* const kCallNames[6] = {"RasEnumEntriesA", "RasEnumConnectionsA", "RasGetEntryDialParamsA",
                                   "RasDialA",        "RasHangUpA",          "RasGetErrorStringA"};

void counted(int call)
{
    ++g_calls[call];
}

struct DialJob
{
    Shared* shared;
    DWORD id;
    HRASCONN handle;
    DWORD notifierType;
    void* notifier;
    SimulatedDial plan;
    DWORD stepMs;
};

void notify(const DialJob& job, const SimulatedStep& step)
{
    if (job.notifierType == 0)
        reinterpret_cast<RASDIALFUNC>(job.notifier)(kDialEvent, static_cast<RASCONNSTATE>(step.state), step.error);
    else
        reinterpret_cast<RASDIALFUNC1>(job.notifier)(job.handle, kDialEvent, static_cast<RASCONNSTATE>(step.state),
                                                     step.error, 0);
}

// Reports a step unless the connection has been hung up; false when the dial is over.
bool report(const DialJob& job, const SimulatedStep& step)
{
    {
        Shared::Lock state(*job.shared);
        SharedConnection* connection = findConnection(*state, job.id);
        if (!connection)
            return false;
        if (step.error || step.state == RASCS_Disconnected)
            connection->id = 0;
        else if (step.state == RASCS_Connected)
            connection->connected = TRUE;
    }
    notify(job, step);
    return step.error == 0 && step.state != RASCS_Disconnected;
}

DWORD WINAPI dialThread(LPVOID parameter)
{
    DialJob* job = static_cast<DialJob*>(parameter);
    bool going = true;
    for (std::size_t i = 0; going && i < job->plan.steps.size(); ++i) {
        if (i)
            Sleep(job->stepMs);
        going = report(*job, job->plan.steps[i]);
    }
    if (going && job->plan.drops) {
        Sleep(job->plan.dropAfterMs);
        report(*job, telmaq::simras::remoteHangUp());
    }
    delete job;
    return 0;
}

// The capacity protocol of both listings, over records of recordSize bytes: 603 and the size
// needed when the buffer is too small, else each record zeroed, its size set and the rest
// written by fill(i, record).
template <typename Fill>
DWORD answerListing(void* buffer, LPDWORD bytes, LPDWORD count, DWORD recordSize, std::size_t n, Fill fill)
{
    const DWORD needed = static_cast<DWORD>(n) * recordSize;
    *count = static_cast<DWORD>(n);
    if (!buffer || *bytes < needed) {
        *bytes = needed;
        return needed ? ERROR_BUFFER_TOO_SMALL : 0;
    }
    for (std::size_t i = 0; i < n; ++i) {
        char* record = static_cast<char*>(buffer) + i * recordSize;
        std::memset(record, 0, recordSize);
        std::memcpy(record, &recordSize, sizeof recordSize);
        fill(i, record);
    }
    *bytes = needed;
    return 0;
}

} // namespace

extern "C" {

DWORD WINAPI TelmaqSimulatedRas()
{
    return 0x7E1A9;
}

DWORD WINAPI TelmaqSimulatedRasCalls(LPCSTR function)
{
    for (int i = 0; i < 6; ++i)
        if (function && std::strcmp(function, kCallNames[i]) == 0)
            return g_calls[i];
    return 0;
}

// How many times ENTRY has been dialled by any process of the prefix, so that a test can count
// the redials that another program made.
DWORD WINAPI TelmaqSimulatedRasDials(LPCSTR entry)
{
    Shared* shared = entry ? Shared::of(phonebookPath()) : nullptr;
    if (!shared)
        return 0;
    Shared::Lock state(*shared);
    for (const SharedCount& c : state->counts)
        if (std::strcmp(c.entry, entry) == 0)
            return c.dials;
    return 0;
}

DWORD WINAPI RasEnumEntriesA(LPCSTR, LPCSTR, LPRASENTRYNAMEA buffer, LPDWORD bytes, LPDWORD count)
{
    counted(0);
    if (!bytes || !count)
        return ERROR_INVALID_PARAMETER;
    if (buffer && buffer->dwSize != kEntrySize)
        return ERROR_INVALID_SIZE;
    const std::vector<Entry> entries = readPhonebook(phonebookPath());
    return answerListing(buffer, bytes, count, kEntrySize, entries.size(),
                         [&](std::size_t i, char* record) { entries[i].name.copy(record + 4, RAS_MaxEntryName); });
}

DWORD WINAPI RasEnumConnectionsA(LPRASCONNA buffer, LPDWORD bytes, LPDWORD count)
{
    counted(1);
    if (!bytes || !count)
        return ERROR_INVALID_PARAMETER;
    if (buffer && buffer->dwSize != kConnectionSize)
        return ERROR_INVALID_SIZE;
    Shared* shared = Shared::of(phonebookPath());
    if (!shared)
        return ERROR_CANNOT_OPEN_PHONEBOOK;
    Shared::Lock state(*shared);
    std::vector<const SharedConnection*> live;
    for (const SharedConnection& c : state->connections)
        if (c.id)
            live.push_back(&c);
    return answerListing(buffer, bytes, count, kConnectionSize, live.size(), [&](std::size_t i, char* record) {
        const HRASCONN handle = handleOf(live[i]->id);
        std::memcpy(record + 4, &handle, sizeof handle);
        std::memcpy(record + kConnectionEntryAt, live[i]->entry, sizeof live[i]->entry);
        std::memcpy(record + kConnectionEntryAt + 257, "modem", 6);
        std::memcpy(record + kConnectionEntryAt + 257 + 17, "simras-modem0", 14);
    });
}

DWORD WINAPI RasGetEntryDialParamsA(LPCSTR, LPRASDIALPARAMSA params, LPBOOL passwordRetrieved)
{
    counted(2);
    if (!params || !passwordRetrieved)
        return ERROR_INVALID_PARAMETER;
    if (params->dwSize != kDialParamsSize)
        return ERROR_INVALID_SIZE;
    auto* bytes = reinterpret_cast<char*>(params);
    const std::string name(bytes + kParamsEntryAt, strnlen(bytes + kParamsEntryAt, RAS_MaxEntryName + 1));
    const std::vector<Entry> entries = readPhonebook(phonebookPath());
    const Entry* entry = findEntry(entries, name.c_str());
    if (!entry)
        return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    std::strncpy(bytes + kParamsPhoneAt, entry->phone.c_str(), RAS_MaxPhoneNumber);
    std::strncpy(bytes + kParamsUserAt, entry->user.c_str(), UNLEN);
    if (entry->hasPassword)
        std::strncpy(bytes + kParamsPasswordAt, entry->password.c_str(), PWLEN);
    *passwordRetrieved = entry->hasPassword;
    return 0;
}

DWORD WINAPI RasDialA(LPRASDIALEXTENSIONS, LPCSTR, LPRASDIALPARAMSA params, DWORD notifierType, LPVOID notifier,
                      LPHRASCONN connection)
{
    counted(3);
    if (!params || !connection)
        return ERROR_INVALID_PARAMETER;
    if (params->dwSize != kDialParamsSize)
        return ERROR_INVALID_SIZE;
    // A dial without a notifier would block until it ends; the program never asks for one.
    if (notifierType > 1 || !notifier)
        return ERROR_INVALID_PARAMETER;
    const auto* bytes = reinterpret_cast<const char*>(params);
    const std::string name(bytes + kParamsEntryAt, strnlen(bytes + kParamsEntryAt, RAS_MaxEntryName + 1));
    const std::string password(bytes + kParamsPasswordAt, strnlen(bytes + kParamsPasswordAt, PWLEN + 1));
    const std::string path = phonebookPath();
    const std::vector<Entry> entries = readPhonebook(path);
    const Entry* entry = findEntry(entries, name.c_str());
    if (!entry)
        return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    Shared* shared = Shared::of(path);
    if (!shared)
        return ERROR_CANNOT_OPEN_PHONEBOOK;

    auto* job = new DialJob{shared, 0, nullptr, notifierType, notifier, {}, entry->stepMs};
    {
        Shared::Lock state(*shared);
        SharedConnection* free = nullptr;
        for (SharedConnection& c : state->connections) {
            if (c.id && name == c.entry) {
                delete job;
                return ERROR_PORT_ALREADY_OPEN;
            }
            if (!c.id && !free)
                free = &c;
        }
        SharedCount* count = nullptr;
        for (SharedCount& c : state->counts)
            if (name == c.entry || (!count && !c.entry[0] && !c.dials))
                count = &c;
        if (!free || !count) {
            delete job;
            return ERROR_NOT_ENOUGH_MEMORY;
        }
        name.copy(count->entry, RAS_MaxEntryName);
        const bool wrongPassword = entry->hasPassword && password != entry->password;
        if (!telmaq::simras::simulatedDial(entry->line, ++count->dials, wrongPassword, job->plan)) {
            delete job;
            return ERROR_CANNOT_LOAD_PHONEBOOK;
        }
        job->id = ++state->nextId;
        *free = SharedConnection{job->id, FALSE, {}};
        name.copy(free->entry, RAS_MaxEntryName);
    }
    {
        std::lock_guard<std::mutex> lock(g_dialledMutex);
        g_dialledHere.push_back(job->id);
    }
    job->handle = handleOf(job->id);
    *connection = job->handle;
    CloseHandle(CreateThread(nullptr, 0, dialThread, job, 0, nullptr));
    return 0;
}

DWORD WINAPI RasHangUpA(HRASCONN handle)
{
    counted(4);
    const bool known = forgetDialledHere(idOf(handle));
    Shared* shared = Shared::of(phonebookPath());
    if (!shared)
        return ERROR_INVALID_HANDLE;
    Shared::Lock state(*shared);
    SharedConnection* connection = findConnection(*state, idOf(handle));
    if (connection)
        connection->id = 0;
    return connection || known ? 0 : ERROR_INVALID_HANDLE;
}

DWORD WINAPI RasGetErrorStringA(UINT code, LPSTR buffer, DWORD size)
{
    counted(5);
    const char* text = telmaq::simulatorErrorText(code);
    if (!text)
        return ERROR_INVALID_PARAMETER;
    if (!buffer || std::strlen(text) + 1 > size)
        return ERROR_INSUFFICIENT_BUFFER;
    std::memcpy(buffer, text, std::strlen(text) + 1);
    return 0;
}

} // extern "C"
