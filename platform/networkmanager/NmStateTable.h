#pragma once

#include <cstdint>

namespace telmaq::nm {

// Whose state change NetworkManager signalled: a device's (Device.StateChanged), an active
// connection's (Connection.Active.StateChanged) or a VPN connection's
// (VPN.Connection.VpnStateChanged, sent on the VPN's active connection).
enum class NmSource
{
    Device,
    Active,
    Vpn,
};

// What one of NetworkManager's states means for a dial in progress.
struct NmStateMeaning
{
    enum class Kind
    {
        Nothing,         // no news for the dial
        Reach,           // the dial has come as far as rasState
        End,             // the dial is over; the reason gives the code
        EndOnceUnderWay, // over, unless the dial has not gone past opening the port yet
    };
    Kind kind = Kind::Nothing;
    std::uint32_t rasState = 0;
};

// The meaning of source's state, from the table in NmStateTable.cpp.
NmStateMeaning meaningOfState(NmSource source, std::uint32_t state);

// The code a dial that ended for source's reason gives, from the same table; 0 when an active
// (or VPN) connection's reason says nothing of its own and the device's reason is the better
// witness. A reason without a row of its own gives the source's base code plus the reason
// (19100 + a device's, 19400 + an active or VPN connection's), so that the number
// NetworkManager gave can still be read.
std::uint32_t codeForReason(NmSource source, std::uint32_t reason);

} // namespace telmaq::nm
