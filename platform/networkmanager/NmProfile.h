#pragma once

#include <QMap>
#include <QMetaType>
#include <QString>
#include <QVariantMap>

#include <optional>

namespace telmaq::nm {

// A profile's settings as NetworkManager hands them over D-Bus (a{sa{sv}}): setting name to
// property map.
using NmSettings = QMap<QString, QVariantMap>;

// The dial-up kinds telmaq offers. Ethernet, Wi-Fi and everything else stay out of its
// phonebook: hanging those up would cut the machine off its ordinary network.
enum class NmKind
{
    Gsm,
    Cdma,
    Pppoe,
    BluetoothDun,
    Vpn,
};

// One NetworkManager profile seen as a phonebook entry.
struct NmProfile
{
    QString path; // the settings object
    QString id;   // the entry name
    QString uuid;
    NmKind kind = NmKind::Gsm;
    QString userName;
    QString phoneNumber;
    QString secretSetting; // the setting whose secrets hold the password
    QString interfaceName; // connection.interface-name, the PPP interface of a PPPoE profile
};

// The profile as a phonebook entry, or nothing when it is not of a dial-up kind, has no usable
// name, or would not fit the service's records. A PPPoE profile counts only when it names both
// its parent and its own interface: without them NetworkManager runs PPPoE on the ethernet
// device itself and takes it over.
std::optional<NmProfile> dialupProfileFrom(const QString& path, const NmSettings& settings);

// Whether an active connection of this NetworkManager type may be a dial-up one; the profile
// has the final word (dialupProfileFrom), this only spares asking for every Wi-Fi link.
bool mayBeDialupType(const QString& type);

// The password among the secrets that GetSecrets answered for profile.secretSetting, if any.
std::optional<QString> passwordFromSecrets(const NmProfile& profile, const NmSettings& secrets);

// The service's device type for a kind ("modem", "PPPoE", "vpn").
const char* rasDeviceType(NmKind kind);

} // namespace telmaq::nm

Q_DECLARE_METATYPE(telmaq::nm::NmSettings)
