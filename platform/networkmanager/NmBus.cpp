#include "platform/networkmanager/NmBus.h"

#include "platform/networkmanager/NmErrors.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusVariant>

#include <atomic>

namespace telmaq::nm {

namespace {

QString uniqueConnectionName()
{
    static std::atomic<unsigned> serial{0};
    return QStringLiteral("telmaq-networkmanager-%1").arg(++serial);
}

QDBusConnection open(const std::string& address, const QString& name)
{
    if (address.empty())
        return QDBusConnection::connectToBus(QDBusConnection::SystemBus, name);
    return QDBusConnection::connectToBus(QString::fromStdString(address), name);
}

} // namespace

NmBus::NmBus(const std::string& address, int timeoutMs)
    : m_name(uniqueConnectionName()), m_connection(open(address, m_name)), m_timeoutMs(timeoutMs)
{}

NmBus::~NmBus()
{
    QDBusConnection::disconnectFromBus(m_name);
}

NmReply NmBus::call(const QString& path, const QString& interface, const QString& method,
                    const QList<QVariant>& arguments)
{
    NmReply reply;
    if (!m_connection.isConnected()) {
        reply.code = ERROR_MANAGER_UNREACHABLE;
        return reply;
    }
    QDBusMessage message = QDBusMessage::createMethodCall(kNmService, path, interface, method);
    message.setArguments(arguments);
    // Block, never BlockWithGui: the provider's thread must not run other events in the middle
    // of a call, so that signals about an activation are handled only after its reply.
    const QDBusMessage answer = m_connection.call(message, QDBus::Block, m_timeoutMs);
    if (answer.type() == QDBusMessage::ReplyMessage) {
        reply.arguments = answer.arguments();
        return reply;
    }
    reply.code = answer.type() == QDBusMessage::ErrorMessage ? codeForDBusError(answer.errorName().toStdString())
                                                             : ERROR_NM_NO_REPLY;
    return reply;
}

NmReply NmBus::property(const QString& path, const QString& interface, const QString& name)
{
    NmReply reply =
        call(path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"), {interface, name});
    if (reply.ok() && !reply.arguments.isEmpty())
        reply.arguments[0] = reply.arguments[0].value<QDBusVariant>().variant();
    return reply;
}

NmReply NmBus::properties(const QString& path, const QString& interface)
{
    NmReply reply =
        call(path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"), {interface});
    if (reply.ok() && !reply.arguments.isEmpty() && reply.arguments[0].canConvert<QDBusArgument>()) {
        QVariantMap map;
        reply.arguments[0].value<QDBusArgument>() >> map;
        reply.arguments[0] = map;
    }
    return reply;
}

QList<QString> objectPaths(const QVariant& value)
{
    QList<QString> paths;
    if (value.canConvert<QDBusArgument>()) {
        QList<QDBusObjectPath> list;
        value.value<QDBusArgument>() >> list;
        for (const QDBusObjectPath& p : list)
            paths.push_back(p.path());
    } else if (value.metaType() == QMetaType::fromType<QList<QDBusObjectPath>>()) {
        for (const QDBusObjectPath& p : value.value<QList<QDBusObjectPath>>())
            paths.push_back(p.path());
    } else {
        for (const QString& p : value.toStringList())
            paths.push_back(p);
    }
    return paths;
}

QString objectPath(const QVariant& value)
{
    if (value.metaType() == QMetaType::fromType<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    const QString text = value.toString();
    return text.isEmpty() ? QStringLiteral("/") : text;
}

} // namespace telmaq::nm
