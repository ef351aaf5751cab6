#include "platform/networkmanager/NmProfile.h"

#include <gtest/gtest.h>

#include <string>

using namespace telmaq::nm;

namespace {

NmSettings profile(const QString& type, const QString& id, NmSettings extra = {})
{
    extra[QStringLiteral("connection")].insert(QStringLiteral("type"), type);
    extra[QStringLiteral("connection")].insert(QStringLiteral("id"), id);
    return extra;
}

bool listed(const NmSettings& settings)
{
    return dialupProfileFrom(QStringLiteral("/p"), settings).has_value();
}

} // namespace

TEST(NmProfile, OnlyDialupKindsBecomeEntries)
{
    EXPECT_TRUE(listed(profile("gsm", "Mobile")));
    EXPECT_TRUE(listed(profile("cdma", "CDMA")));
    EXPECT_TRUE(listed(profile("vpn", "Office")));
    EXPECT_TRUE(listed(profile("bluetooth", "Phone", {{"bluetooth", {{"type", "dun"}}}})));
    EXPECT_FALSE(listed(profile("bluetooth", "Headset net", {{"bluetooth", {{"type", "panu"}}}})));
    EXPECT_FALSE(listed(profile("802-3-ethernet", "Wired")));
    EXPECT_FALSE(listed(profile("802-11-wireless", "Home Wi-Fi")));
    EXPECT_FALSE(listed(profile("wireguard", "wg0")));
    EXPECT_FALSE(listed(profile("bridge", "br0")));
}

TEST(NmProfile, PppoeOnlyOnAParentWithAnInterfaceOfItsOwn)
{
    NmSettings proper = profile("pppoe", "DSL", {{"pppoe", {{"parent", "eth0"}}}});
    proper[QStringLiteral("connection")].insert(QStringLiteral("interface-name"), QStringLiteral("ppp0"));
    EXPECT_TRUE(listed(proper));
    // Without them NetworkManager would run PPPoE on the ethernet device itself.
    EXPECT_FALSE(listed(profile("pppoe", "Takes over eth0", {{"pppoe", {{"username", "u"}}}})));
    NmSettings noInterface = profile("pppoe", "No interface", {{"pppoe", {{"parent", "eth0"}}}});
    EXPECT_FALSE(listed(noInterface));
}

TEST(NmProfile, NamesMustFitAnEntryRecord)
{
    EXPECT_TRUE(listed(profile("gsm", QString(256, QChar(u'a')))));
    EXPECT_FALSE(listed(profile("gsm", QString(257, QChar(u'a')))));
    // The limit is in bytes: 86 three-byte characters are 258 bytes.
    EXPECT_FALSE(listed(profile("gsm", QString(86, QChar(u'接')))));
    EXPECT_FALSE(listed(profile("gsm", QString())));
}

TEST(NmProfile, UserNameNumberAndPasswordComeFromTheKindsOwnSetting)
{
    auto gsm = dialupProfileFrom(QStringLiteral("/p"),
                                 profile("gsm", "Mobile", {{"gsm", {{"username", "alice"}, {"number", "*99#"}}}}));
    ASSERT_TRUE(gsm);
    EXPECT_EQ(gsm->userName, QStringLiteral("alice"));
    EXPECT_EQ(gsm->phoneNumber, QStringLiteral("*99#"));
    EXPECT_EQ(gsm->secretSetting, QStringLiteral("gsm"));
    EXPECT_EQ(passwordFromSecrets(*gsm, {{"gsm", {{"password", "s3cret"}}}}), QStringLiteral("s3cret"));
    EXPECT_FALSE(passwordFromSecrets(*gsm, {{"gsm", {}}}));

    auto dun = dialupProfileFrom(
        QStringLiteral("/p"),
        profile("bluetooth", "Phone", {{"bluetooth", {{"type", "dun"}}}, {"cdma", {{"username", "bob"}}}}));
    ASSERT_TRUE(dun);
    EXPECT_EQ(dun->secretSetting, QStringLiteral("cdma"));
    EXPECT_EQ(dun->userName, QStringLiteral("bob"));
    // With both, the gsm setting is the one read.
    EXPECT_EQ(
        dialupProfileFrom(QStringLiteral("/p"),
                          profile("bluetooth", "Both", {{"bluetooth", {{"type", "dun"}}}, {"cdma", {}}, {"gsm", {}}}))
            .value()
            .secretSetting,
        QStringLiteral("gsm"));

    QVariantMap vpnData;
    vpnData.insert(QStringLiteral("username"), QStringLiteral("carol"));
    auto vpn = dialupProfileFrom(QStringLiteral("/p"), profile("vpn", "Office", {{"vpn", {{"data", vpnData}}}}));
    ASSERT_TRUE(vpn);
    EXPECT_EQ(vpn->userName, QStringLiteral("carol"));
    QVariantMap vpnSecrets;
    vpnSecrets.insert(QStringLiteral("password"), QStringLiteral("vpnpw"));
    EXPECT_EQ(passwordFromSecrets(*vpn, {{"vpn", {{"secrets", vpnSecrets}}}}), QStringLiteral("vpnpw"));
    EXPECT_STREQ(rasDeviceType(vpn->kind), "vpn");
    EXPECT_STREQ(rasDeviceType(gsm->kind), "modem");
}
