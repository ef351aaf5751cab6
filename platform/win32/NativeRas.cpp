#include "platform/win32/NativeApi.h"

#include <windows.h>

#include <ras.h>
#include <raserror.h>

#include <atomic>
#include <cstring>

namespace telmaq::win32 {

namespace {

// mingw-w64's ras.h declares only the newest record layouts, which a service of an older
// Windows refuses with ERROR_INVALID_SIZE. We pass the oldest ANSI layouts, which every
// version knows, packed as ras.h packs them (4 bytes). The connection handle is a pointer,
// so a connection record is 412 bytes on 32-bit Windows and 416 on 64-bit.
#pragma pack(push, 4)
struct OldEntryName
{
    DWORD dwSize;
    CHAR szEntryName[RAS_MaxEntryName + 1];
};
struct OldConnection
{
    DWORD dwSize;
    HRASCONN hrasconn;
    CHAR szEntryName[RAS_MaxEntryName + 1];
    CHAR szDeviceType[RAS_MaxDeviceType + 1];
    CHAR szDeviceName[RAS_MaxDeviceName + 1];
};
struct OldDialParams
{
    DWORD dwSize;
    CHAR szEntryName[RAS_MaxEntryName + 1];
    CHAR szPhoneNumber[RAS_MaxPhoneNumber + 1];
    CHAR szCallbackNumber[RAS_MaxCallbackNumber + 1];
    CHAR szUserName[UNLEN + 1];
    CHAR szPassword[PWLEN + 1];
    CHAR szDomain[DNLEN + 1];
};
#pragma pack(pop)

constexpr bool kWide = sizeof(void*) == 8;
static_assert(sizeof(OldEntryName) == 264, "entry names are 264 bytes for both word sizes");
static_assert(sizeof(OldConnection) == (kWide ? 416 : 412), "connections are 416 bytes on 64-bit, 412 on 32-bit");
static_assert(offsetof(OldConnection, szEntryName) == (kWide ? 12 : 8), "the entry name follows the handle");
static_assert(sizeof(OldDialParams) == 1052 && sizeof(OldDialParams) == kNativeDialParamsSize,
              "dial parameters are 1052 bytes for both word sizes");

// No phonebook comes near this; a service that asks for more is answered as out of memory.
constexpr DWORD kMaxListBytes = 64u * 1024u * 1024u;

std::string fieldText(const char* field, std::size_t size)
{
    return std::string(field, strnlen(field, size));
}

// One listing with the grow-once retry. Call lists into (records, bytes in and out, count).
template <typename Record, typename Call> DWORD list(std::vector<Record>& records, DWORD& count, Call call)
{
    records.assign(1, Record{});
    records[0].dwSize = sizeof(Record);
    DWORD bytes = sizeof(Record);
    count = 0;
    DWORD rc = call(records.data(), &bytes, &count);
    if (rc == ERROR_BUFFER_TOO_SMALL) {
        if (bytes > kMaxListBytes)
            return ERROR_NOT_ENOUGH_MEMORY;
        records.assign((bytes + sizeof(Record) - 1) / sizeof(Record), Record{});
        records[0].dwSize = sizeof(Record);
        bytes = static_cast<DWORD>(records.size() * sizeof(Record));
        count = 0;
        rc = call(records.data(), &bytes, &count);
    }
    if (rc == 0 && count > records.size())
        count = static_cast<DWORD>(records.size());
    return rc;
}

std::atomic<NativeDialReport> g_report{nullptr};

// RasDialFunc1: the only notifier form that names its connection, so that the reports of
// several dials reach their own callers.
void WINAPI onDialReport(HRASCONN connection, UINT message, RASCONNSTATE state, DWORD error, DWORD)
{
    if (NativeDialReport report = g_report.load())
        report(reinterpret_cast<NativeHandle>(connection), message, static_cast<std::uint32_t>(state), error);
}

} // namespace

std::uint32_t nativeEntryNames(std::vector<std::string>& names)
{
    std::vector<OldEntryName> records;
    DWORD count = 0;
    const DWORD rc = list(records, count, [](OldEntryName* r, DWORD* bytes, DWORD* n) {
        return RasEnumEntriesA(nullptr, nullptr, reinterpret_cast<LPRASENTRYNAMEA>(r), bytes, n);
    });
    names.clear();
    for (DWORD i = 0; rc == 0 && i < count; ++i)
        names.push_back(fieldText(records[i].szEntryName, sizeof records[i].szEntryName));
    return rc;
}

std::uint32_t nativeConnections(std::vector<NativeConnectionRecord>& connections)
{
    std::vector<OldConnection> records;
    DWORD count = 0;
    const DWORD rc = list(records, count, [](OldConnection* r, DWORD* bytes, DWORD* n) {
        return RasEnumConnectionsA(reinterpret_cast<LPRASCONNA>(r), bytes, n);
    });
    connections.clear();
    for (DWORD i = 0; rc == 0 && i < count; ++i) {
        const OldConnection& r = records[i];
        connections.push_back(
            {reinterpret_cast<NativeHandle>(r.hrasconn), fieldText(r.szEntryName, sizeof r.szEntryName),
             fieldText(r.szDeviceType, sizeof r.szDeviceType), fieldText(r.szDeviceName, sizeof r.szDeviceName)});
    }
    return rc;
}

std::uint32_t nativeEntryDialParams(void* params, bool* passwordRetrieved)
{
    BOOL retrieved = FALSE;
    const DWORD rc = RasGetEntryDialParamsA(nullptr, static_cast<LPRASDIALPARAMSA>(params), &retrieved);
    if (rc == 0 && passwordRetrieved)
        *passwordRetrieved = retrieved != FALSE;
    return rc;
}

std::uint32_t nativeDial(const void* params, NativeDialReport report, NativeHandle* connection)
{
    g_report.store(report);
    HRASCONN handle = nullptr;
    // RasDialA does not write through its parameters, whatever its prototype says.
    const DWORD rc = RasDialA(nullptr, nullptr, static_cast<LPRASDIALPARAMSA>(const_cast<void*>(params)), 1,
                              reinterpret_cast<LPVOID>(&onDialReport), &handle);
    *connection = reinterpret_cast<NativeHandle>(handle);
    return rc;
}

std::uint32_t nativeHangUp(NativeHandle connection)
{
    return RasHangUpA(reinterpret_cast<HRASCONN>(connection));
}

std::uint32_t nativeErrorString(std::uint32_t code, char* buffer, std::uint32_t size)
{
    return RasGetErrorStringA(code, buffer, size);
}

} // namespace telmaq::win32
