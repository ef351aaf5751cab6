#include "platform/HiveTestSupport.h"
#include "platform/dialup/DialupProviders.h"
#include "platform/networkmanager/NmDialProgress.h"
#include "platform/networkmanager/NmErrors.h"
#include "platform/networkmanager/NmProfile.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using namespace telmaq;
using namespace telmaq::nm;

namespace {

constexpr std::uint32_t kGoesOn = ~0u;

const std::uint32_t kStages[] = {
    RASCS_OpenPort,     RASCS_PortOpened,    RASCS_ConnectDevice, RASCS_DeviceConnected, RASCS_AllDevicesConnected,
    RASCS_Authenticate, RASCS_Authenticated, RASCS_Connected};

// Plays what NetworkManager says on a dial just started: "d70" the device's state 70, "d120/23"
// with reason 23, "a4/3" the active connection's state and reason, "v3/1" a VPN's, "x"
// NetworkManager gone.
std::vector<DialReport> play(NmDialProgress& progress, const std::string& events)
{
    std::vector<DialReport> all = progress.started();
    std::istringstream in(events);
    for (std::string event; in >> event;) {
        unsigned state = 0, reason = 0;
        std::sscanf(event.c_str() + 1, "%u/%u", &state, &reason);
        const NmSource source = event[0] == 'd' ? NmSource::Device : event[0] == 'a' ? NmSource::Active : NmSource::Vpn;
        const std::vector<DialReport> more =
            event[0] == 'x' ? progress.managerVanished() : progress.stateChanged(source, state, reason);
        all.insert(all.end(), more.begin(), more.end());
    }
    return all;
}

NmSettings profile(const char* type, const QString& id, NmSettings extra = {})
{
    extra[QStringLiteral("connection")].insert(QStringLiteral("type"), QLatin1String(type));
    extra[QStringLiteral("connection")].insert(QStringLiteral("id"), id);
    return extra;
}

} // namespace

// Every stage up to the one reached is reported once, in order; an end is reported once, last.
TEST(NmDialProgress, WhatNetworkManagerSaysGivesTheStagesReachedAndOneEnd)
{
    const std::tuple<const char*, std::size_t, std::uint32_t> cases[] = {
        {"d40 d50 d60 d70 d80 d90 d100 a2/1", 8, kGoesOn},
        {"d70", 7, kGoesOn},        // straight to addresses: PPP has authenticated
        {"d70 d50 a2", 8, kGoesOn}, // nothing goes back; a VPN knows only its active connection
        {"d30", 1, kGoesOn},        // a device that was down before the dial is no failure
        {"d40 d30/36", 3, 19136},   // once it was preparing, falling back is the end
        {"d40 d120/23 a4/3 d30 x", 3, ERROR_LINE_BUSY},
        {"d50/24 a4/3", 5, ERROR_NO_DIALTONE}, // the active connection's end defers to the device's reason
        {"d40 a4/3", 3, 19403},                // ... and without one heard, its own number stands
        {"a4/10", 1, ERROR_AUTHENTICATION_FAILURE},
        {"x", 1, ERROR_MANAGER_UNREACHABLE},
        // A VPN step by step: secrets, reaching the server, let in, up.
        {"a1/0 v2/1", 2, kGoesOn},
        {"v2/1 v3/1", 3, kGoesOn},
        {"v2/1 v3/1 v4/1", 7, kGoesOn},
        {"v2/1 v3/1 v4/1 a2/1 v5/1", 8, kGoesOn},
        {"v3/1 v6/6 a4/6", 3, ERROR_NO_ANSWER},
        {"v3/1 v6/10 a4/10", 3, ERROR_AUTHENTICATION_FAILURE},
        {"v3/1 a4/4 v6/4", 3, 19404}, // one failure, one code, whichever signal comes first
        {"v3/1 v6/4 a4/1", 3, 19404},
        {"v5/1 a4/3 v7/3", 8, ERROR_REMOTE_DISCONNECTION}, // the network under it went
        {"v5/1 v7/2", 8, ERROR_USER_DISCONNECTION},
        {"d100 x", 8, ERROR_REMOTE_DISCONNECTION},
        {"d100 d110/13", 8, ERROR_REMOTE_DISCONNECTION}, // after connecting: who ended the line
        {"d100 a4/3", 8, ERROR_REMOTE_DISCONNECTION},
        {"d100 d110/39", 8, ERROR_USER_DISCONNECTION}, // someone asked NetworkManager to
        {"d100 a4/2", 8, ERROR_USER_DISCONNECTION},
    };
    for (const auto& [events, stages, end] : cases) {
        std::vector<DialReport> expected;
        for (std::size_t i = 0; i < stages; ++i)
            expected.push_back({kStages[i], 0});
        if (end != kGoesOn)
            expected.push_back({RASCS_Disconnected, end});
        NmDialProgress progress;
        EXPECT_EQ(play(progress, events), expected) << events;
        EXPECT_EQ(progress.ended(), end != kGoesOn) << events;
    }
}

TEST(NmErrors, ReasonsAndBusErrorsGiveTheServicesCodesEachWithAText)
{
    // 676 line busy, 678 no answer, 680 no dial tone, 630 hardware, 691 authentication, 631 the user's
    // doing; the rest numbered after NetworkManager's reason (19100 + device's, 19400 + active's).
    const std::pair<std::uint32_t, std::uint32_t> device[] = {
        {23, 676}, {24, 680}, {25, 678}, {26, 678}, {27, 678}, {28, 630},  {43, 630},      {44, 630},
        {52, 630}, {57, 630}, {12, 630}, {7, 691},  {39, 631}, {5, 19105}, {100000, 19101}};
    const std::pair<std::uint32_t, std::uint32_t> active[] = {{2, 631}, {6, 678},   {9, 691},    {10, 691},      {1, 0},
                                                              {3, 0},   {4, 19404}, {11, 19411}, {100000, 19401}};
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
        EXPECT_EQ(codeForReason(NmSource::Device, reason), code) << "device reason " << reason;
    for (const auto& [reason, code] : active)
        EXPECT_EQ(std::make_pair(codeForReason(NmSource::Active, reason), codeForReason(NmSource::Vpn, reason)),
                  std::make_pair(code, code))
            << "active reason " << reason;
    for (const auto& [name, code] : errors) {
        EXPECT_EQ(codeForDBusError(std::string("org.freedesktop.") + name), code) << name;
        EXPECT_FALSE(errorText(code).empty()) << name;
    }
    for (std::uint32_t code : {6u, 603u, 632u, 629u, 631u, 676u, 678u, 680u, 19004u, 19101u, 19401u})
        EXPECT_FALSE(errorText(code).empty()) << code;
    EXPECT_NE(errorText(19105).find("理由 5"), std::string::npos);
    EXPECT_EQ(errorText(ERROR_NM_VPN_NO_PARENT).rfind("VPN を通すネットワーク接続がありません", 0), 0u);
    EXPECT_NE(errorText(19411).find("理由 11"), std::string::npos);
    EXPECT_TRUE(errorText(4242).empty());
}

// The setting the secrets are asked for, and the user name read; no setting: not an entry.
TEST(NmProfile, DialupKindsBecomeEntriesReadFromTheirOwnSettings)
{
    const QVariantMap vpnData{{QStringLiteral("username"), QStringLiteral("carol")}};
    const std::tuple<NmSettings, const char*, const char*> cases[] = {
        {profile("gsm", "Mobile", {{"gsm", {{"username", "alice"}, {"number", "*99#"}}}}), "gsm", "alice"},
        {profile("cdma", "CDMA", {{"cdma", {{"username", "dave"}}}}), "cdma", "dave"},
        {profile("vpn", "Office", {{"vpn", {{"data", vpnData}}}}), "vpn", "carol"},
        {profile("bluetooth", "Phone", {{"bluetooth", {{"type", "dun"}}}, {"cdma", {{"username", "bob"}}}}), "cdma",
         "bob"},
        {profile("bluetooth", "Both", {{"bluetooth", {{"type", "dun"}}}, {"cdma", {}}, {"gsm", {}}}), "gsm", ""},
        {profile("bluetooth", "Phone PAN", {{"bluetooth", {{"type", "panu"}}}}), nullptr, ""},
        {profile("pppoe", "DSL", {{"connection", {{"interface-name", "ppp0"}}}, {"pppoe", {{"parent", "eth0"}}}}),
         "pppoe", ""},
        // Without both NetworkManager would run PPPoE on the ethernet device itself.
        {profile("pppoe", "No parent", {{"connection", {{"interface-name", "ppp0"}}}}), nullptr, ""},
        {profile("pppoe", "No interface", {{"pppoe", {{"parent", "eth0"}}}}), nullptr, ""},
        {profile("802-3-ethernet", "Wired"), nullptr, ""},
        {profile("802-11-wireless", "Home Wi-Fi"), nullptr, ""},
        {profile("gsm", QString(255, QChar(u'a'))), "gsm", ""},
        {profile("gsm", QString(256, QChar(u'a'))), nullptr, ""},
        {profile("gsm", QString(85, QChar(u'接'))), "gsm", ""},   // 255 bytes
        {profile("gsm", QString(86, QChar(u'接'))), nullptr, ""}, // 258 bytes: the limit is in bytes
        {profile("gsm", QString()), nullptr, ""},
    };
    for (const auto& [settings, secretSetting, user] : cases) {
        const QString id = settings.value(QStringLiteral("connection")).value(QStringLiteral("id")).toString();
        const auto read = dialupProfileFrom(QStringLiteral("/p"), settings);
        ASSERT_EQ(read.has_value(), secretSetting != nullptr) << id.toStdString();
        if (read) {
            EXPECT_EQ(read->id, id);
            EXPECT_EQ(read->secretSetting, QLatin1String(secretSetting)) << id.toStdString();
            EXPECT_EQ(read->userName, QLatin1String(user)) << id.toStdString();
        }
    }
}

TEST(NmProfile, ThePasswordIsInTheKindsOwnSecrets)
{
    const NmProfile gsm = dialupProfileFrom(QStringLiteral("/p"), profile("gsm", "Mobile")).value();
    EXPECT_EQ(passwordFromSecrets(gsm, {{"gsm", {{"password", "s3cret"}}}}), QStringLiteral("s3cret"));
    EXPECT_FALSE(passwordFromSecrets(gsm, {{"gsm", {}}}));
    const NmProfile vpn = dialupProfileFrom(QStringLiteral("/p"), profile("vpn", "Office")).value();
    const QVariantMap vpnSecrets{{QStringLiteral("password"), QStringLiteral("vpnpw")}};
    EXPECT_EQ(passwordFromSecrets(vpn, {{"vpn", {{"secrets", vpnSecrets}}}}), QStringLiteral("vpnpw"));
    EXPECT_FALSE(passwordFromSecrets(vpn, {{"vpn", {{"password", "vpnpw"}}}}));
}

// The provider shows in its answer to a listing: the simulator's empty phonebook, or a system bus
// (one that is not there) without NetworkManager. A name we do not know, or a hive we cannot
// read, never quietly becomes the simulator: the service refuses every call with a text that
// says why.
TEST(ProviderChoice, TheEnvironmentThenTheHiveChooseAndNoOtherNameBecomesTheSimulator)
{
    test::TempEnvironment env;
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + (env.dir() / "no-system-bus").string()).c_str(), 1);
    const std::tuple<const char*, const char*, std::uint32_t, const char*> cases[] = {
        {nullptr, nullptr, 0, ""},
        {"networkmanager", nullptr, nm::ERROR_MANAGER_UNREACHABLE, "NetworkManager"},
        {"simulator", "NetworkManager", nm::ERROR_MANAGER_UNREACHABLE, "NetworkManager"},
        {"networkmanager", "simulator", 0, ""},
        {"NetworkManger", nullptr, ERROR_PROVIDER_UNKNOWN, "networkmanger"},
        {"simulator", "sim", ERROR_PROVIDER_UNKNOWN, "「sim」"},
    };
    int serial = 0;
    for (const auto& [stored, environment, code, said] : cases) {
        SqliteHive hive((env.dir() / ("hive" + std::to_string(++serial) + ".db")).string());
        HKEY key = 0;
        if (stored) {
            EXPECT_EQ(hive.createKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
            EXPECT_EQ(test::setText(hive, key, "Provider", stored), ERROR_SUCCESS);
        }
        environment ? ::setenv("TELMAQ_DIALUP_PROVIDER", environment, 1) : ::unsetenv("TELMAQ_DIALUP_PROVIDER");
        const auto service = openDialupService(hive);
        std::uint32_t size = 0, count = 0;
        char text[256] = {};
        EXPECT_EQ(service->enumEntries(nullptr, &size, &count), code) << serial;
        service->getErrorString(code, text, sizeof text);
        EXPECT_NE(std::string(text).find(said), std::string::npos) << text;
    }
    ::unsetenv("TELMAQ_DIALUP_PROVIDER");
    ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    SqliteHive damaged((env.dir() / "damaged.db").string());
    test::writeFile(damaged.path(), "not a hive");
    std::uint32_t size = 0, count = 0;
    EXPECT_EQ(openDialupService(damaged)->enumEntries(nullptr, &size, &count), ERROR_PROVIDER_UNREADABLE);
    EXPECT_EQ(test::fileContents(damaged.path()), "not a hive");
}
