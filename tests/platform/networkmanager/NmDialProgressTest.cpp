#include "platform/networkmanager/NmDialProgress.h"
#include "platform/dialup/DialupService.h"
#include "platform/networkmanager/NmErrors.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

using namespace telmaq;
using nm::DialReport;

namespace {

constexpr std::uint32_t kGoesOn = ~0u;

const std::uint32_t kStages[] = {
    RASCS_OpenPort,     RASCS_PortOpened,    RASCS_ConnectDevice, RASCS_DeviceConnected, RASCS_AllDevicesConnected,
    RASCS_Authenticate, RASCS_Authenticated, RASCS_Connected};

// Plays what NetworkManager says on a dial just started: "d70" the device's state 70, "d120/23"
// with reason 23, "a4/3" the active connection's state and reason, "v" NetworkManager gone.
std::vector<DialReport> play(nm::NmDialProgress& progress, const std::string& events)
{
    std::vector<DialReport> all = progress.started();
    std::istringstream in(events);
    for (std::string event; in >> event;) {
        unsigned state = 0, reason = 0;
        std::sscanf(event.c_str() + 1, "%u/%u", &state, &reason);
        const std::vector<DialReport> more = event[0] == 'd'   ? progress.deviceStateChanged(state, reason)
                                             : event[0] == 'a' ? progress.activeStateChanged(state, reason)
                                                               : progress.managerVanished();
        all.insert(all.end(), more.begin(), more.end());
    }
    return all;
}

} // namespace

// Every stage up to the one reached is reported once, in order; an end is reported once, last.
TEST(NmDialProgress, WhatNetworkManagerSaysGivesTheStagesReachedAndOneEnd)
{
    const struct
    {
        const char* events;
        std::size_t stages;
        std::uint32_t end;
    } cases[] = {
        {"d40 d50 d60 d70 d80 d90 d100 a2/1", 8, kGoesOn},
        {"d70", 7, kGoesOn},        // straight to addresses: PPP has authenticated
        {"d70 d50 a2", 8, kGoesOn}, // nothing goes back; a VPN knows only its active connection
        {"d30", 1, kGoesOn},        // a device that was down before the dial is no failure
        {"d40 d30/36", 3, 19136},   // once it was preparing, falling back is the end
        {"d40 d120/23 a4/3 d30 v", 3, ERROR_LINE_BUSY},
        {"d40 a4/3", 3, 19101}, // the active connection's end defers to the device's reason
        {"d50/24 a4/3", 5, ERROR_NO_DIALTONE},
        {"a4/10", 1, ERROR_AUTHENTICATION_FAILURE},
        {"v", 1, nm::ERROR_MANAGER_UNREACHABLE},
        {"d100 d110/13", 8, ERROR_REMOTE_DISCONNECTION}, // after connecting: who ended the line
        {"d100 a4/3", 8, ERROR_REMOTE_DISCONNECTION},
        {"d100 v", 8, ERROR_REMOTE_DISCONNECTION},
        {"d100 d110/39", 8, ERROR_USER_DISCONNECTION}, // someone asked NetworkManager to
        {"d100 a4/2", 8, ERROR_USER_DISCONNECTION},
    };
    for (const auto& c : cases) {
        std::vector<DialReport> expected;
        for (std::size_t i = 0; i < c.stages; ++i)
            expected.push_back({kStages[i], 0});
        if (c.end != kGoesOn)
            expected.push_back({RASCS_Disconnected, c.end});
        nm::NmDialProgress progress;
        EXPECT_EQ(play(progress, c.events), expected) << c.events;
        EXPECT_EQ(progress.ended(), c.end != kGoesOn) << c.events;
    }
}

TEST(NmErrors, ReasonsAndBusErrorsGiveTheServicesCodesEachWithAText)
{
    // 676 line busy, 678 no answer, 680 no dial tone, 630 hardware, 691 authentication, 631 the user's
    // doing; the rest numbered after NetworkManager's reason (19100 + device's, 19400 + active's).
    const std::pair<std::uint32_t, std::uint32_t> device[] = {
        {23, 676}, {24, 680}, {25, 678}, {26, 678}, {27, 678}, {28, 630},  {43, 630},      {44, 630},
        {52, 630}, {57, 630}, {12, 630}, {7, 691},  {39, 631}, {5, 19105}, {100000, 19101}};
    const std::pair<std::uint32_t, std::uint32_t> active[] = {{2, 631},  {6, 678},    {9, 691},
                                                              {10, 691}, {11, 19411}, {100000, 19401}};
    // After "org.freedesktop.": 711 unreachable, 19001 not authorised, 19002 no reply, 19003 refused.
    const std::pair<const char*, std::uint32_t> errors[] = {{"DBus.Error.ServiceUnknown", 711},
                                                            {"DBus.Error.NoServer", 711},
                                                            {"DBus.Error.Disconnected", 711},
                                                            {"DBus.Error.NoReply", 19002},
                                                            {"NetworkManager.PermissionDenied", 19001},
                                                            {"DBus.Error.AccessDenied", 19001},
                                                            {"DBus.Error.InteractiveAuthorizationRequired", 19001},
                                                            {"NetworkManager.UnknownDevice", 630},
                                                            {"NetworkManager.UnknownConnection", 623},
                                                            {"NetworkManager.ConnectionAlreadyActive", 602},
                                                            {"NetworkManager.AgentManager.NoSecrets", 691},
                                                            {"Example.Whatever", 19003}};
    for (const auto& [reason, code] : device)
        EXPECT_EQ(nm::codeForDeviceReason(reason), code) << "device reason " << reason;
    for (const auto& [reason, code] : active)
        EXPECT_EQ(nm::codeForActiveReason(reason), code) << "active reason " << reason;
    for (const auto& [name, code] : errors) {
        EXPECT_EQ(nm::codeForDBusError(std::string("org.freedesktop.") + name), code) << name;
        EXPECT_FALSE(nm::errorText(code).empty()) << name;
    }
    for (std::uint32_t code : {6u, 603u, 632u, 629u, 631u, 676u, 678u, 680u, 19004u, 19101u, 19401u})
        EXPECT_FALSE(nm::errorText(code).empty()) << code;
    EXPECT_NE(nm::errorText(19105).find("理由 5"), std::string::npos);
    EXPECT_NE(nm::errorText(19411).find("理由 11"), std::string::npos);
    EXPECT_TRUE(nm::errorText(4242).empty());
}
