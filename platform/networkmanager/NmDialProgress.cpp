#include "platform/networkmanager/NmDialProgress.h"

#include "platform/dialup/DialupService.h"
#include "platform/networkmanager/NmErrors.h"

#include <iterator>

namespace telmaq::nm {

namespace {

// The states a dial reports, in order.
constexpr std::uint32_t kOrder[] = {
    RASCS_OpenPort,     RASCS_PortOpened,    RASCS_ConnectDevice, RASCS_DeviceConnected, RASCS_AllDevicesConnected,
    RASCS_Authenticate, RASCS_Authenticated, RASCS_Connected};
constexpr int kConnected = static_cast<int>(std::size(kOrder)) - 1;

} // namespace

bool NmDialProgress::connected() const
{
    return m_reached >= kConnected;
}

std::vector<DialReport> NmDialProgress::started()
{
    return advanceTo(RASCS_OpenPort);
}

std::vector<DialReport> NmDialProgress::stateChanged(NmSource source, std::uint32_t state, std::uint32_t reason)
{
    if (m_ended)
        return {};
    if (source == NmSource::Device && reason != 0)
        m_lastDeviceReason = reason;
    const NmStateMeaning meaning = meaningOfState(source, state);
    switch (meaning.kind) {
    case NmStateMeaning::Kind::Reach:
        return advanceTo(meaning.rasState);
    case NmStateMeaning::Kind::EndOnceUnderWay:
        if (m_reached < 1)
            return {};
        return end(endCode(source, reason));
    case NmStateMeaning::Kind::End:
        return end(endCode(source, reason));
    case NmStateMeaning::Kind::Nothing:
        break;
    }
    return {};
}

std::vector<DialReport> NmDialProgress::managerVanished()
{
    if (m_ended)
        return {};
    return end(connected() ? ERROR_REMOTE_DISCONNECTION : ERROR_MANAGER_UNREACHABLE);
}

std::uint32_t NmDialProgress::endCode(NmSource source, std::uint32_t reason) const
{
    const std::uint32_t code = codeForReason(source, reason);
    if (code == ERROR_USER_DISCONNECTION)
        return code;
    if (connected())
        return ERROR_REMOTE_DISCONNECTION;
    if (code != 0)
        return code;
    // The connection's reason defers to its device's; without one heard, the number
    // NetworkManager gave is all there is to tell.
    if (m_lastDeviceReason != 0)
        return codeForReason(NmSource::Device, m_lastDeviceReason);
    return ERROR_NM_ACTIVE_REASON_BASE + reason;
}

std::vector<DialReport> NmDialProgress::advanceTo(std::uint32_t rasState)
{
    std::vector<DialReport> reports;
    int place = 0;
    while (place < kConnected && kOrder[place] != rasState)
        ++place;
    for (int p = m_reached + 1; p <= place; ++p)
        reports.push_back({kOrder[p], 0});
    if (place > m_reached)
        m_reached = place;
    return reports;
}

std::vector<DialReport> NmDialProgress::end(std::uint32_t error)
{
    m_ended = true;
    return {{RASCS_Disconnected, error}};
}

} // namespace telmaq::nm
