#include "platform/networkmanager/NmProfile.h"

#include "platform/dialup/DialupService.h"
#include "platform/dialup/EntryName.h"

#include <QDBusArgument>

namespace telmaq::nm {

namespace {

QString text(const NmSettings& settings, const char* setting, const char* key)
{
    return settings.value(QString::fromLatin1(setting)).value(QString::fromLatin1(key)).toString();
}

bool has(const NmSettings& settings, const char* setting)
{
    return settings.contains(QString::fromLatin1(setting));
}

// A nested map of strings as QtDBus hands it over: either already a map or still marshalled.
QMap<QString, QString> stringMap(const QVariant& value)
{
    if (value.canConvert<QDBusArgument>()) {
        QMap<QString, QString> map;
        value.value<QDBusArgument>() >> map;
        return map;
    }
    QMap<QString, QString> map;
    const QVariantMap variants = value.toMap();
    for (auto it = variants.begin(); it != variants.end(); ++it)
        map.insert(it.key(), it.value().toString());
    return map;
}

} // namespace

std::optional<NmProfile> dialupProfileFrom(const QString& path, const NmSettings& settings)
{
    NmProfile profile;
    profile.path = path;
    profile.id = text(settings, "connection", "id");
    profile.uuid = text(settings, "connection", "uuid");
    profile.interfaceName = text(settings, "connection", "interface-name");
    const QString type = text(settings, "connection", "type");

    if (type == QLatin1String("gsm") || type == QLatin1String("cdma")) {
        profile.kind = type == QLatin1String("gsm") ? NmKind::Gsm : NmKind::Cdma;
        profile.secretSetting = type;
    } else if (type == QLatin1String("pppoe")) {
        if (text(settings, "pppoe", "parent").isEmpty() || text(settings, "connection", "interface-name").isEmpty())
            return std::nullopt;
        profile.kind = NmKind::Pppoe;
        profile.secretSetting = type;
    } else if (type == QLatin1String("bluetooth")) {
        if (text(settings, "bluetooth", "type") != QLatin1String("dun"))
            return std::nullopt;
        profile.kind = NmKind::BluetoothDun;
        // A DUN profile carries its modem settings in a gsm or cdma setting of its own.
        profile.secretSetting =
            has(settings, "cdma") && !has(settings, "gsm") ? QStringLiteral("cdma") : QStringLiteral("gsm");
    } else if (type == QLatin1String("vpn")) {
        profile.kind = NmKind::Vpn;
        profile.secretSetting = type;
    } else {
        return std::nullopt;
    }

    if (!entryNameProblem(profile.id.toStdString()).empty())
        return std::nullopt;

    const QByteArray setting = profile.secretSetting.toLatin1();
    if (profile.kind == NmKind::Vpn) {
        profile.userName = text(settings, "vpn", "user-name");
        if (profile.userName.isEmpty()) {
            const QMap<QString, QString> data = stringMap(settings.value(QStringLiteral("vpn")).value("data"));
            profile.userName = data.value(QStringLiteral("username"), data.value(QStringLiteral("user")));
        }
    } else {
        profile.userName = text(settings, setting.constData(), "username");
        profile.phoneNumber = text(settings, setting.constData(), "number");
    }
    if (profile.kind == NmKind::Pppoe && profile.phoneNumber.isEmpty())
        profile.phoneNumber = text(settings, "pppoe", "service");
    return profile;
}

bool mayBeDialupType(const QString& type)
{
    return type == QLatin1String("gsm") || type == QLatin1String("cdma") || type == QLatin1String("pppoe") ||
           type == QLatin1String("bluetooth") || type == QLatin1String("vpn");
}

std::optional<QString> passwordFromSecrets(const NmProfile& profile, const NmSettings& secrets)
{
    const QVariantMap setting = secrets.value(profile.secretSetting);
    if (profile.kind == NmKind::Vpn) {
        // VPN plug-ins keep their secrets as a map of strings of their own.
        const QMap<QString, QString> vpnSecrets = stringMap(setting.value(QStringLiteral("secrets")));
        if (vpnSecrets.contains(QStringLiteral("password")))
            return vpnSecrets.value(QStringLiteral("password"));
        return std::nullopt;
    }
    if (!setting.contains(QStringLiteral("password")))
        return std::nullopt;
    return setting.value(QStringLiteral("password")).toString();
}

const char* rasDeviceType(NmKind kind)
{
    switch (kind) {
    case NmKind::Pppoe:
        return "PPPoE";
    case NmKind::Vpn:
        return "vpn";
    case NmKind::Gsm:
    case NmKind::Cdma:
    case NmKind::BluetoothDun:
        break;
    }
    return "modem";
}

} // namespace telmaq::nm
