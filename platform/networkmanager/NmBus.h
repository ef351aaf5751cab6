#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <cstdint>
#include <string>

namespace telmaq::nm {

inline const QString kNmService = QStringLiteral("org.freedesktop.NetworkManager");
inline const QString kNmPath = QStringLiteral("/org/freedesktop/NetworkManager");
inline const QString kNmInterface = QStringLiteral("org.freedesktop.NetworkManager");
inline const QString kSettingsPath = QStringLiteral("/org/freedesktop/NetworkManager/Settings");
inline const QString kSettingsInterface = QStringLiteral("org.freedesktop.NetworkManager.Settings");
inline const QString kConnectionInterface = QStringLiteral("org.freedesktop.NetworkManager.Settings.Connection");
inline const QString kActiveInterface = QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");
inline const QString kDeviceInterface = QStringLiteral("org.freedesktop.NetworkManager.Device");
inline const QString kVpnInterface = QStringLiteral("org.freedesktop.NetworkManager.VPN.Connection");

// What a call answered: code 0 and the reply's arguments, or the code of its error.
struct NmReply
{
    std::uint32_t code = 0;
    QList<QVariant> arguments;
    bool ok() const { return code == 0; }
    QVariant first() const { return arguments.isEmpty() ? QVariant() : arguments.first(); }
};

// A private connection to the bus NetworkManager is on, used from one thread only (the
// provider's). Every call has a time-out, so a NetworkManager that hangs, or a bus that
// stops answering, gives an error code instead of a hang.
class NmBus
{
public:
    // address empty: the system bus. The connection is made at once; connected() tells.
    NmBus(const std::string& address, int timeoutMs);
    ~NmBus();
    NmBus(const NmBus&) = delete;
    NmBus& operator=(const NmBus&) = delete;

    bool connected() const { return m_connection.isConnected(); }
    QDBusConnection& connection() { return m_connection; }

    // Calls method of interface on NetworkManager's object at path.
    NmReply call(const QString& path, const QString& interface, const QString& method,
                 const QList<QVariant>& arguments = {});

    // One property, already unwrapped from its variant.
    NmReply property(const QString& path, const QString& interface, const QString& name);

    // Every property of interface, as a map (first argument of the reply).
    NmReply properties(const QString& path, const QString& interface);

private:
    QString m_name;
    QDBusConnection m_connection;
    int m_timeoutMs;
};

// Object paths from a reply or property value, whichever form QtDBus handed them in.
QList<QString> objectPaths(const QVariant& value);

// A single object path from a reply or property value ("/" when none).
QString objectPath(const QVariant& value);

} // namespace telmaq::nm
