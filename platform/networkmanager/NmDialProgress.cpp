#include "platform/networkmanager/NmDialProgress.h"

#include "platform/dialup/DialupService.h"
#include "platform/networkmanager/NmErrors.h"

#include <iterator>

namespace telmaq::nm {

namespace {

// The service's states, stage by stage: the activation request, the device preparing, the
// device configured, authentication, addresses, connected.
const std::vector<std::vector<std::uint32_t>> kStages = {
    {RASCS_OpenPort},
    {RASCS_PortOpened, RASCS_ConnectDevice},
    {RASCS_DeviceConnected, RASCS_AllDevicesConnected},
    {RASCS_Authenticate},
    {RASCS_Authenticated},
    {RASCS_Connected},
};

// NMDeviceState values.
constexpr std::uint32_t kDeviceDisconnected = 30;
constexpr std::uint32_t kDevicePrepare = 40;
constexpr std::uint32_t kDeviceConfig = 50;
constexpr std::uint32_t kDeviceNeedAuth = 60;
constexpr std::uint32_t kDeviceIpConfig = 70;
constexpr std::uint32_t kDeviceSecondaries = 90;
constexpr std::uint32_t kDeviceActivated = 100;
constexpr std::uint32_t kDeviceDeactivating = 110;
constexpr std::uint32_t kDeviceFailed = 120;

// NMActiveConnectionState values.
constexpr std::uint32_t kActiveActivated = 2;
constexpr std::uint32_t kActiveDeactivated = 4;

} // namespace

std::vector<DialReport> NmDialProgress::started()
{
    return advanceTo(0);
}

std::vector<DialReport> NmDialProgress::deviceStateChanged(std::uint32_t newState, std::uint32_t reason)
{
    if (m_ended)
        return {};
    if (reason != 0)
        m_lastDeviceReason = reason;
    if (newState == kDeviceDeactivating || newState == kDeviceFailed ||
        (newState <= kDeviceDisconnected && m_stage >= 1))
        return end(connected() && reason != 39 ? ERROR_REMOTE_DISCONNECTION : codeForDeviceReason(reason));
    if (newState == kDeviceActivated)
        return advanceTo(kConnected);
    if (newState >= kDeviceIpConfig && newState <= kDeviceSecondaries)
        return advanceTo(4);
    if (newState == kDeviceNeedAuth)
        return advanceTo(3);
    if (newState == kDeviceConfig)
        return advanceTo(2);
    if (newState == kDevicePrepare)
        return advanceTo(1);
    return {};
}

std::vector<DialReport> NmDialProgress::activeStateChanged(std::uint32_t state, std::uint32_t reason)
{
    if (m_ended)
        return {};
    if (state == kActiveActivated)
        return advanceTo(kConnected);
    if (state != kActiveDeactivated)
        return {};
    if (reason == 2)
        return end(ERROR_USER_DISCONNECTION);
    if (connected())
        return end(ERROR_REMOTE_DISCONNECTION);
    if (const std::uint32_t code = codeForActiveReason(reason))
        return end(code);
    // The device went down first and its reason says more than ours.
    return end(codeForDeviceReason(m_lastDeviceReason != 0 ? m_lastDeviceReason : 1));
}

std::vector<DialReport> NmDialProgress::managerVanished()
{
    if (m_ended)
        return {};
    return end(connected() ? ERROR_REMOTE_DISCONNECTION : ERROR_MANAGER_UNREACHABLE);
}

std::vector<DialReport> NmDialProgress::advanceTo(int stage)
{
    std::vector<DialReport> reports;
    for (int s = m_stage + 1; s <= stage; ++s)
        for (std::uint32_t state : kStages[static_cast<std::size_t>(s)])
            reports.push_back({state, 0});
    if (stage > m_stage)
        m_stage = stage;
    return reports;
}

std::vector<DialReport> NmDialProgress::end(std::uint32_t error)
{
    m_ended = true;
    return {{RASCS_Disconnected, error}};
}

} // namespace telmaq::nm
