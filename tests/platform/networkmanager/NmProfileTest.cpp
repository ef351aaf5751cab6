#include "platform/networkmanager/NmProfile.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace telmaq::nm;

namespace {

NmSettings profile(const char* type, const QString& id, NmSettings extra = {})
{
    extra[QStringLiteral("connection")].insert(QStringLiteral("type"), QLatin1String(type));
    extra[QStringLiteral("connection")].insert(QStringLiteral("id"), id);
    return extra;
}

} // namespace

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
        {profile("gsm", QString(256, QChar(u'a'))), "gsm", ""},
        {profile("gsm", QString(257, QChar(u'a'))), nullptr, ""},
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
