#pragma once

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

// Turns what NetworkManager says about one activation (its device's and its active
// connection's state changes) into the dial-up service's progress reports. The reports only
// ever move forward: a step NetworkManager skips is reported on the way, so that the
// connecting window shows every stage in order, and nothing follows the final report.
class NmDialProgress
{
public:
    // The activation call has been sent: the port is being opened.
    std::vector<DialReport> started();

    // The device moved to newState (NMDeviceState) for reason (NMDeviceStateReason).
    std::vector<DialReport> deviceStateChanged(std::uint32_t newState, std::uint32_t reason);

    // The active connection moved to state (NMActiveConnectionState) for reason.
    std::vector<DialReport> activeStateChanged(std::uint32_t state, std::uint32_t reason);

    // NetworkManager itself went away during the dial.
    std::vector<DialReport> managerVanished();

    // The final report (Disconnected, with or without an error) has been given.
    bool ended() const { return m_ended; }
    bool connected() const { return m_stage >= kConnected; }

private:
    static constexpr int kConnected = 5;

    std::vector<DialReport> advanceTo(int stage);
    std::vector<DialReport> end(std::uint32_t error);

    int m_stage = -1; // the last stage reported; stages are listed in the .cpp
    bool m_ended = false;
    std::uint32_t m_lastDeviceReason = 0;
};

} // namespace telmaq::nm
