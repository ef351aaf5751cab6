#pragma once

#include <cstddef>
#include <cstdint>

namespace telmaq {

// The dial-up service as telmaq uses it: the phonebook, the active connections, dialling in
// the background with progress reports, and the service's own error texts. The record
// layouts and sizes are the service's published oldest ones; callers rely on them byte for
// byte (record i of a listing starts at byte i times the record size).

using HRASCONN = std::uint32_t; // 0 means none
constexpr HRASCONN kNoConnection = 0;

constexpr std::size_t RAS_MaxEntryName = 256;
constexpr std::size_t RAS_MaxPhoneNumber = 128;
constexpr std::size_t RAS_MaxCallbackNumber = 128;
constexpr std::size_t RAS_MaxDeviceType = 16;
constexpr std::size_t RAS_MaxDeviceName = 128;
constexpr std::size_t UNLEN = 256;
constexpr std::size_t PWLEN = 256;
constexpr std::size_t DNLEN = 15;

struct RASENTRYNAMEA
{
    std::uint32_t dwSize;
    char szEntryName[RAS_MaxEntryName + 1];
};
static_assert(sizeof(RASENTRYNAMEA) == 264, "entry records are 264 bytes");
static_assert(offsetof(RASENTRYNAMEA, szEntryName) == 4, "entry name at byte 4");

struct RASCONNA
{
    std::uint32_t dwSize;
    HRASCONN hrasconn;
    char szEntryName[RAS_MaxEntryName + 1];
    char szDeviceType[RAS_MaxDeviceType + 1];
    char szDeviceName[RAS_MaxDeviceName + 1];
};
static_assert(sizeof(RASCONNA) == 412, "connection records are 412 bytes");
static_assert(offsetof(RASCONNA, szEntryName) == 8, "entry name at byte 8");

struct RASDIALPARAMSA
{
    std::uint32_t dwSize;
    char szEntryName[RAS_MaxEntryName + 1];
    char szPhoneNumber[RAS_MaxPhoneNumber + 1];
    char szCallbackNumber[RAS_MaxCallbackNumber + 1];
    char szUserName[UNLEN + 1];
    char szPassword[PWLEN + 1];
    char szDomain[DNLEN + 1];
};
static_assert(sizeof(RASDIALPARAMSA) == 1052, "dial parameters are 1052 bytes");

// Connection states reported while dialling (RASCONNSTATE).
enum RasConnState : std::uint32_t
{
    RASCS_OpenPort = 0,
    RASCS_PortOpened = 1,
    RASCS_ConnectDevice = 2,
    RASCS_DeviceConnected = 3,
    RASCS_AllDevicesConnected = 4,
    RASCS_Authenticate = 5,
    RASCS_AuthNotify = 6,
    RASCS_AuthRetry = 7,
    RASCS_AuthCallback = 8,
    RASCS_AuthChangePassword = 9,
    RASCS_AuthProject = 10,
    RASCS_AuthLinkSpeed = 11,
    RASCS_AuthAck = 12,
    RASCS_ReAuthenticate = 13,
    RASCS_Authenticated = 14,
    RASCS_PrepareForCallback = 15,
    RASCS_WaitForModemReset = 16,
    RASCS_WaitForCallback = 17,
    RASCS_Projected = 18,
    RASCS_StartAuthentication = 19,
    RASCS_CallbackComplete = 20,
    RASCS_LogonNetwork = 21,
    RASCS_SubEntryConnected = 22,
    RASCS_SubEntryDisconnected = 23,
    RASCS_Interactive = 0x1000,
    RASCS_RetryAuthentication = 0x1001,
    RASCS_CallbackSetByCaller = 0x1002,
    RASCS_PasswordExpired = 0x1003,
    RASCS_Connected = 0x2000,
    RASCS_Disconnected = 0x2001,
};

// Result codes of the service.
constexpr std::uint32_t ERROR_INVALID_HANDLE_RAS = 6;
constexpr std::uint32_t ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr std::uint32_t ERROR_INVALID_SIZE = 632;
constexpr std::uint32_t ERROR_INVALID_PORT_HANDLE = 601;
constexpr std::uint32_t ERROR_PORT_ALREADY_OPEN = 602;
constexpr std::uint32_t ERROR_BUFFER_TOO_SMALL = 603;
constexpr std::uint32_t ERROR_CANNOT_FIND_PHONEBOOK_ENTRY = 623;
constexpr std::uint32_t ERROR_REMOTE_DISCONNECTION = 629;
constexpr std::uint32_t ERROR_HARDWARE_FAILURE = 630;
constexpr std::uint32_t ERROR_USER_DISCONNECTION = 631;
constexpr std::uint32_t ERROR_NO_CONNECTION = 668;
constexpr std::uint32_t ERROR_ALLOCATING_MEMORY = 664;
constexpr std::uint32_t ERROR_LINE_BUSY = 676;
constexpr std::uint32_t ERROR_NO_ANSWER = 678;
constexpr std::uint32_t ERROR_NO_DIALTONE = 680;
constexpr std::uint32_t ERROR_AUTHENTICATION_FAILURE = 691;

// The notifier of a dial (the service's RasDialFunc form): message number, connection state,
// error code. The service calls it on a thread of its own, never on the dialling thread.
using RasDialFunc = void (*)(std::uint32_t message, std::uint32_t state, std::uint32_t error);

class IDialupService
{
public:
    virtual ~IDialupService() = default;

    // Lists the phonebook entries into entries. *bufferSize is the room in bytes on entry;
    // when it is too small the answer is ERROR_BUFFER_TOO_SMALL and *bufferSize the size needed.
    // entries[0].dwSize must be sizeof(RASENTRYNAMEA).
    virtual std::uint32_t enumEntries(RASENTRYNAMEA* entries, std::uint32_t* bufferSize, std::uint32_t* count) = 0;

    // Lists the active connections, with the same capacity protocol as enumEntries.
    virtual std::uint32_t enumConnections(RASCONNA* connections, std::uint32_t* bufferSize, std::uint32_t* count) = 0;

    // Fills in the stored phone number, user name, password and domain of params->szEntryName;
    // *passwordRetrieved tells whether a stored password was handed over.
    virtual std::uint32_t getEntryDialParams(RASDIALPARAMSA* params, bool* passwordRetrieved) = 0;

    // Starts dialling in the background and stores the new connection's handle in *connection
    // (also, at times, when it answers an error). With notifierType 0 the notifier is a
    // RasDialFunc, called for every change of state on a thread of the service's own.
    virtual std::uint32_t dial(const RASDIALPARAMSA* params, std::uint32_t notifierType, RasDialFunc notifier,
                               HRASCONN* connection) = 0;

    // Ends a connection, or a dial in progress, without waiting for the line to drop. After
    // it, the connection's notifier is not called again.
    virtual std::uint32_t hangUp(HRASCONN connection) = 0;

    // The service's own text for a code, zero-terminated in buffer; non-zero for a code it
    // does not know or a buffer too small for the text.
    virtual std::uint32_t getErrorString(std::uint32_t code, char* buffer, std::uint32_t bufferSize) = 0;
};

} // namespace telmaq
