#pragma once

#include "platform/networkmanager/NmStateTable.h"

#include <cstdint>
#include <vector>

namespace telmaq::nm {

// One report to a dial's notifier: a connection state and an error code (0 for none).
struct DialReport
{
    std::uint32_t state;
    std::uint32_t error;
    bool operator==(const DialReport& other) const { return state == other.state && error == other.error; }
};

// Turns what NetworkManager says about one activation (its device's, its active connection's
// and a VPN's own state changes, read through NmStateTable) into the dial-up service's
// progress reports. The reports only ever move forward: a state NetworkManager skips is
// reported on the way, so that the connecting window shows every stage in order, and nothing
// follows the final report.
class NmDialProgress
{
public:
    // The activation call has been sent: the port is being opened.
    std::vector<DialReport> started();

    // source moved to state for reason.
    std::vector<DialReport> stateChanged(NmSource source, std::uint32_t state, std::uint32_t reason);

    // NetworkManager itself went away during the dial.
    std::vector<DialReport> managerVanished();

    // The final report (Disconnected, with or without an error) has been given.
    bool ended() const { return m_ended; }
    bool connected() const;

private:
    std::vector<DialReport> advanceTo(std::uint32_t rasState);
    std::vector<DialReport> end(std::uint32_t error);
    std::uint32_t endCode(NmSource source, std::uint32_t reason) const;

    int m_reached = -1; // the place, in the service's order of states, of the last one reported
    bool m_ended = false;
    std::uint32_t m_lastDeviceReason = 0;
};

} // namespace telmaq::nm
