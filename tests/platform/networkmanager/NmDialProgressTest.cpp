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

const std::uint32_t kStages[] = {RASCS_OpenPort,        RASCS_PortOpened,          RASCS_ConnectDevice,
                                 RASCS_DeviceConnected, RASCS_AllDevicesConnected, RASCS_Authenticate,
                                 RASCS_Authenticated,   RASCS_Connected};

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
        {"d70", 7, kGoesOn},                  // straight to addresses: PPP has authenticated
        {"d70 d50 a2", 8, kGoesOn},           // nothing goes back; a VPN knows only its active connection
        {"d30", 1, kGoesOn},                  // a device that was down before the dial is no failure
        {"d40 d30/36", 3, 19136},             // once it was preparing, falling back is the end
        {"d40 d120/23 a4/3 d30 v", 3, ERROR_LINE_BUSY},
        {"d40 a4/3", 3, 19101},               // the active connection's end defers to the device's reason
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
    const std::pair<std::uint32_t, std::uint32_t> device[] = {
        {23, ERROR_LINE_BUSY}, {24, ERROR_NO_DIALTONE}, {25, ERROR_NO_ANSWER}, {26, ERROR_NO_ANSWER},
        {27, ERROR_NO_ANSWER}, {28, ERROR_HARDWARE_FAILURE}, {43, ERROR_HARDWARE_FAILURE},
        {44, ERROR_HARDWARE_FAILURE}, {52, ERROR_HARDWARE_FAILURE}, {57, ERROR_HARDWARE_FAILURE},
        {12, ERROR_HARDWARE_FAILURE}, {7, ERROR_AUTHENTICATION_FAILURE}, {39, ERROR_USER_DISCONNECTION},
        {5, 19105}, {100000, 19101}};
    const std::pair<std::uint32_t, std::uint32_t> active[] = {
        {2, ERROR_USER_DISCONNECTION}, {6, ERROR_NO_ANSWER}, {9, ERROR_AUTHENTICATION_FAILURE},
        {10, ERROR_AUTHENTICATION_FAILURE}, {11, 19411}, {100000, 19401}};
    const std::pair<const char*, std::uint32_t> errors[] = {
        {"org.freedesktop.DBus.Error.ServiceUnknown", nm::ERROR_MANAGER_UNREACHABLE},
        {"org.freedesktop.DBus.Error.NoServer", nm::ERROR_MANAGER_UNREACHABLE},
        {"org.freedesktop.DBus.Error.Disconnected", nm::ERROR_MANAGER_UNREACHABLE},
        {"org.freedesktop.DBus.Error.NoReply", nm::ERROR_NM_NO_REPLY},
        {"org.freedesktop.NetworkManager.PermissionDenied", nm::ERROR_NM_NOT_AUTHORIZED},
        {"org.freedesktop.DBus.Error.AccessDenied", nm::ERROR_NM_NOT_AUTHORIZED},
        {"org.freedesktop.DBus.Error.InteractiveAuthorizationRequired", nm::ERROR_NM_NOT_AUTHORIZED},
        {"org.freedesktop.NetworkManager.UnknownDevice", ERROR_HARDWARE_FAILURE},
        {"org.freedesktop.NetworkManager.UnknownConnection", ERROR_CANNOT_FIND_PHONEBOOK_ENTRY},
        {"org.freedesktop.NetworkManager.ConnectionAlreadyActive", ERROR_PORT_ALREADY_OPEN},
        {"org.freedesktop.NetworkManager.AgentManager.NoSecrets", ERROR_AUTHENTICATION_FAILURE},
        {"org.example.Whatever", nm::ERROR_NM_REFUSED}};
    for (const auto& [reason, code] : device)
        EXPECT_EQ(nm::codeForDeviceReason(reason), code) << "device reason " << reason;
    for (const auto& [reason, code] : active)
        EXPECT_EQ(nm::codeForActiveReason(reason), code) << "active reason " << reason;
    for (const auto& [name, code] : errors) {
        EXPECT_EQ(nm::codeForDBusError(name), code) << name;
        EXPECT_FALSE(nm::errorText(code).empty()) << name;
    }
    for (std::uint32_t code : {6u, 603u, 632u, 629u, 631u, 676u, 678u, 680u, 19004u, 19101u, 19401u})
        EXPECT_FALSE(nm::errorText(code).empty()) << code;
    EXPECT_NE(nm::errorText(19105).find("理由 5"), std::string::npos);
    EXPECT_NE(nm::errorText(19411).find("理由 11"), std::string::npos);
    EXPECT_TRUE(nm::errorText(4242).empty());
}
