#include "platform/networkmanager/NmStateTable.h"

#include "platform/dialup/DialupService.h"
#include "platform/networkmanager/NmErrors.h"

namespace telmaq::nm {

namespace {

enum class Column
{
    State,
    Reason,
};

// A state row: NetworkManager's state values first to last of a source, and the connection
// state the dial has reached by then (every state before it in the service's order is
// reported on the way) or the end of the dial. A reason row: a source's reason values, and the
// code a dial that ends for them gives (0: the device's reason tells).
struct Row
{
    NmSource source;
    Column column;
    std::uint32_t first;
    std::uint32_t last;
    std::uint32_t gives;
};

constexpr std::uint32_t kEnd = 0xFFFFFFFF;
constexpr std::uint32_t kEndOnceUnderWay = 0xFFFFFFFE;

using S = NmSource;
constexpr Column kState = Column::State;
constexpr Column kReason = Column::Reason;

// How a dial reads what NetworkManager says: every state and reason it acts on, and nothing
// else. States are NMDeviceState, NMActiveConnectionState and NMVpnConnectionState; reasons
// NMDeviceStateReason and NMActiveConnectionStateReason, whose values a VPN connection's
// reasons share.
//
// A modem, PPPoE or Bluetooth line is followed on its device and its active connection; a VPN
// on its active connection and its VPN state, never on the device it runs over. A VPN's
// progress: the plug-in is started and has its secrets (PortOpened); it reaches for the
// server, which also proves the user (ConnectDevice); the server has let it in and it waits
// for its addresses (Authenticated); it is up (Connected).
constexpr Row kTable[] = {
    // unknown, unmanaged, unavailable, disconnected: a device that was down before the dial is
    // no failure; one that falls back once it was preparing is the end
    {S::Device, kState, 0, 30, kEndOnceUnderWay},
    {S::Device, kState, 40, 40, RASCS_ConnectDevice},         // prepare
    {S::Device, kState, 50, 50, RASCS_AllDevicesConnected},   // config
    {S::Device, kState, 60, 60, RASCS_Authenticate},          // need-auth
    {S::Device, kState, 70, 90, RASCS_Authenticated},         // ip-config, ip-check, secondaries
    {S::Device, kState, 100, 100, RASCS_Connected},           // activated
    {S::Device, kState, 110, 120, kEnd},                      // deactivating, failed
    {S::Active, kState, 2, 2, RASCS_Connected},               // activated
    {S::Active, kState, 4, 4, kEnd},                          // deactivated
    {S::Vpn, kState, 1, 2, RASCS_PortOpened},                 // prepare, need-auth
    {S::Vpn, kState, 3, 3, RASCS_ConnectDevice},              // connect
    {S::Vpn, kState, 4, 4, RASCS_Authenticated},              // ip-config-get
    {S::Vpn, kState, 5, 5, RASCS_Connected},                  // activated
    {S::Vpn, kState, 6, 7, kEnd},                             // failed, disconnected
    {S::Device, kReason, 7, 7, ERROR_AUTHENTICATION_FAILURE}, // no secrets
    {S::Device, kReason, 12, 12, ERROR_HARDWARE_FAILURE},     // PPP could not be started
    {S::Device, kReason, 23, 23, ERROR_LINE_BUSY},
    {S::Device, kReason, 24, 24, ERROR_NO_DIALTONE},
    {S::Device, kReason, 25, 27, ERROR_NO_ANSWER},          // no carrier, dial time-out, dial failed
    {S::Device, kReason, 28, 28, ERROR_HARDWARE_FAILURE},   // modem initialisation failed
    {S::Device, kReason, 39, 39, ERROR_USER_DISCONNECTION}, // someone asked NetworkManager
    {S::Device, kReason, 43, 44, ERROR_HARDWARE_FAILURE},   // modem not found, Bluetooth failed
    {S::Device, kReason, 52, 52, ERROR_HARDWARE_FAILURE},   // ModemManager not available
    {S::Device, kReason, 57, 57, ERROR_HARDWARE_FAILURE},   // modem failed
    {S::Active, kReason, 0, 1, 0},                          // unknown, none
    {S::Active, kReason, 2, 2, ERROR_USER_DISCONNECTION},
    {S::Active, kReason, 3, 3, 0},                             // the device (a VPN's parent) went
    {S::Active, kReason, 6, 6, ERROR_NO_ANSWER},               // connection attempt timed out
    {S::Active, kReason, 9, 10, ERROR_AUTHENTICATION_FAILURE}, // no secrets, login failed
};

const Row* find(NmSource source, Column column, std::uint32_t value)
{
    for (const Row& row : kTable)
        if (row.source == source && row.column == column && value >= row.first && value <= row.last)
            return &row;
    return nullptr;
}

} // namespace

NmStateMeaning meaningOfState(NmSource source, std::uint32_t state)
{
    const Row* row = find(source, kState, state);
    if (!row)
        return {};
    if (row->gives == kEnd)
        return {NmStateMeaning::Kind::End, 0};
    if (row->gives == kEndOnceUnderWay)
        return {NmStateMeaning::Kind::EndOnceUnderWay, 0};
    return {NmStateMeaning::Kind::Reach, row->gives};
}

std::uint32_t codeForReason(NmSource source, std::uint32_t reason)
{
    const NmSource kind = source == NmSource::Vpn ? NmSource::Active : source;
    if (const Row* row = find(kind, kReason, reason))
        return row->gives;
    const std::uint32_t base = kind == NmSource::Device ? ERROR_NM_DEVICE_REASON_BASE : ERROR_NM_ACTIVE_REASON_BASE;
    return reason < kReasonSpan ? base + reason : base + 1;
}

} // namespace telmaq::nm
