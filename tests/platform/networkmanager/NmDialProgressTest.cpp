#include "platform/networkmanager/NmDialProgress.h"
#include "platform/dialup/DialupService.h"
#include "platform/networkmanager/NmErrors.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <utility>
#include <vector>

using namespace telmaq;
using telmaq::nm::DialReport;
using telmaq::nm::NmDialProgress;

namespace {

std::vector<std::uint32_t> states(const std::vector<DialReport>& reports)
{
    std::vector<std::uint32_t> result;
    for (const DialReport& r : reports)
        result.push_back(r.state);
    return result;
}

void append(std::vector<DialReport>& all, const std::vector<DialReport>& more)
{
    all.insert(all.end(), more.begin(), more.end());
}

const std::vector<std::uint32_t> kFullSequence = {
    RASCS_OpenPort,     RASCS_PortOpened,    RASCS_ConnectDevice, RASCS_DeviceConnected, RASCS_AllDevicesConnected,
    RASCS_Authenticate, RASCS_Authenticated, RASCS_Connected};

} // namespace

TEST(NmDialProgress, DeviceStatesGiveTheServicesProgressInOrder)
{
    NmDialProgress progress;
    std::vector<DialReport> all = progress.started();
    for (std::uint32_t deviceState : {40u, 50u, 60u, 70u, 80u, 90u, 100u})
        append(all, progress.deviceStateChanged(deviceState, 0));
    // The active connection's "activated" after the device's adds nothing.
    append(all, progress.activeStateChanged(2, 1));
    EXPECT_EQ(states(all), kFullSequence);
    for (const DialReport& r : all)
        EXPECT_EQ(r.error, 0u);
    EXPECT_TRUE(progress.connected());
    EXPECT_FALSE(progress.ended());
}

TEST(NmDialProgress, SkippedStagesAreReportedOnTheWayAndNothingGoesBack)
{
    NmDialProgress progress;
    std::vector<DialReport> all = progress.started();
    append(all, progress.deviceStateChanged(70, 0)); // straight to addresses: PPP has authenticated
    EXPECT_EQ(all.back().state, RASCS_Authenticated);
    append(all, progress.deviceStateChanged(50, 0)); // late or repeated changes say nothing new
    append(all, progress.activeStateChanged(2, 0));  // a VPN knows only its active connection
    EXPECT_EQ(states(all), kFullSequence);
}

TEST(NmDialProgress, FailureEndsTheDialOnceWithItsCode)
{
    NmDialProgress progress;
    progress.started();
    progress.deviceStateChanged(40, 0);
    const std::vector<DialReport> failed = progress.deviceStateChanged(120, 23);
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0], (DialReport{RASCS_Disconnected, ERROR_LINE_BUSY}));
    EXPECT_TRUE(progress.ended());
    // What NetworkManager says after the end reaches nobody.
    EXPECT_TRUE(progress.activeStateChanged(4, 3).empty());
    EXPECT_TRUE(progress.deviceStateChanged(30, 0).empty());
    EXPECT_TRUE(progress.managerVanished().empty());
}

TEST(NmDialProgress, TheActiveConnectionsEndDefersToTheDevicesReason)
{
    // The device fell back to disconnected with a reason; then the active connection ends
    // with "device disconnected", which alone would say nothing.
    NmDialProgress progress;
    progress.started();
    progress.deviceStateChanged(40, 0);
    EXPECT_EQ(progress.activeStateChanged(4, 3), (std::vector<DialReport>{{RASCS_Disconnected, 19101}}));

    NmDialProgress withReason;
    withReason.started();
    withReason.deviceStateChanged(50, 24); // a reason seen on the way
    EXPECT_EQ(withReason.activeStateChanged(4, 3), (std::vector<DialReport>{{RASCS_Disconnected, ERROR_NO_DIALTONE}}));

    NmDialProgress ownReason;
    ownReason.started();
    EXPECT_EQ(ownReason.activeStateChanged(4, 10),
              (std::vector<DialReport>{{RASCS_Disconnected, ERROR_AUTHENTICATION_FAILURE}}));
}

TEST(NmDialProgress, DropsAfterConnectingTellWhoEndedTheLine)
{
    // The far end, on the device or the active connection; then someone who asked
    // NetworkManager to take it down (another program, the desktop's menu); then the manager gone.
    const std::function<std::vector<DialReport>(NmDialProgress&)> drops[] = {
        [](NmDialProgress& p) { return p.deviceStateChanged(110, 13); },
        [](NmDialProgress& p) { return p.activeStateChanged(4, 3); },
        [](NmDialProgress& p) { return p.deviceStateChanged(110, 39); },
        [](NmDialProgress& p) { return p.activeStateChanged(4, 2); },
        [](NmDialProgress& p) { return p.managerVanished(); },
    };
    const std::uint32_t codes[] = {629, 629, 631, 631, 629};
    for (std::size_t i = 0; i < std::size(drops); ++i) {
        NmDialProgress progress;
        progress.started();
        progress.deviceStateChanged(100, 0);
        EXPECT_EQ(drops[i](progress), (std::vector<DialReport>{{RASCS_Disconnected, codes[i]}})) << i;
    }
}

TEST(NmDialProgress, ADeviceThatWasAlreadyDownBeforeTheDialIsNoFailure)
{
    NmDialProgress progress;
    progress.started();
    EXPECT_TRUE(progress.deviceStateChanged(30, 0).empty());
    EXPECT_FALSE(progress.ended());
    // Once it was preparing, falling back to disconnected is the end.
    progress.deviceStateChanged(40, 0);
    EXPECT_EQ(progress.deviceStateChanged(30, 36), (std::vector<DialReport>{{RASCS_Disconnected, 19136}}));
}

TEST(NmErrors, ReasonsGiveTheServicesCodes)
{
    // The dial-up reasons are checked end to end against the mock bus; here the ones that say
    // who took a line down, which no failed dial shows.
    EXPECT_EQ(nm::codeForDeviceReason(39), 631u);
    EXPECT_EQ(nm::codeForActiveReason(2), 631u);
    // Reasons without a code of the service get one of ours, with a text that names them.
    EXPECT_EQ(nm::codeForDeviceReason(5), nm::ERROR_NM_DEVICE_REASON_BASE + 5);
    EXPECT_NE(nm::errorText(nm::ERROR_NM_DEVICE_REASON_BASE + 5).find("理由 5"), std::string::npos);
    EXPECT_EQ(nm::codeForActiveReason(11), nm::ERROR_NM_ACTIVE_REASON_BASE + 11);
    EXPECT_NE(nm::errorText(nm::ERROR_NM_ACTIVE_REASON_BASE + 11).find("理由 11"), std::string::npos);
    // An absurd reason still gets a code with a text, never one outside our range.
    EXPECT_FALSE(nm::errorText(nm::codeForDeviceReason(100000)).empty());
}

TEST(NmErrors, BusErrorsGiveCodesWithTexts)
{
    const std::vector<std::pair<const char*, std::uint32_t>> errors = {
        {"org.freedesktop.DBus.Error.ServiceUnknown", 711},
        {"org.freedesktop.DBus.Error.NoServer", 711},
        {"org.freedesktop.DBus.Error.Disconnected", 711},
        {"org.freedesktop.DBus.Error.NoReply", nm::ERROR_NM_NO_REPLY},
        {"org.freedesktop.NetworkManager.PermissionDenied", nm::ERROR_NM_NOT_AUTHORIZED},
        {"org.freedesktop.DBus.Error.AccessDenied", nm::ERROR_NM_NOT_AUTHORIZED},
        {"org.freedesktop.DBus.Error.InteractiveAuthorizationRequired", nm::ERROR_NM_NOT_AUTHORIZED},
        {"org.freedesktop.NetworkManager.UnknownDevice", 630},
        {"org.freedesktop.NetworkManager.UnknownConnection", 623},
        {"org.freedesktop.NetworkManager.ConnectionAlreadyActive", 602},
        {"org.freedesktop.NetworkManager.AgentManager.NoSecrets", 691},
        {"org.example.Whatever", nm::ERROR_NM_REFUSED},
    };
    for (const auto& [name, code] : errors) {
        EXPECT_EQ(nm::codeForDBusError(name), code) << name;
        EXPECT_FALSE(nm::errorText(code).empty()) << name;
    }
}
