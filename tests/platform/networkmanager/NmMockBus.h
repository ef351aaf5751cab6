#pragma once

#include "support/WaitUntil.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include <unistd.h>

namespace telmaq::test {

// A private bus of this test's own (dbus-run-session) with python-dbusmock's NetworkManager and
// our dial-up template on it, ended with the test. Nothing touches the machine's buses.
class NmMockBus
{
public:
    // withManager false: the bus stays empty, a machine without NetworkManager.
    explicit NmMockBus(bool withManager = true)
    {
        m_process.setChildProcessModifier([] { ::setpgid(0, 0); }); // a group of its own, ended whole
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(TELMAQ_NM_MOCK_BUS), {withManager ? QString() : QStringLiteral("none")});
        if (m_process.waitForReadyRead(60000))
            m_address = m_process.readLine().trimmed().toStdString();
        m_control = QDBusConnection::connectToBus(QString::fromStdString(m_address), m_name);
        const auto registered = [this] { return m_control.interface()->isServiceRegistered(kManager).value(); };
        m_ready = withManager && !m_address.empty() && waitUntil(registered, 60000);
    }

    ~NmMockBus()
    {
        QDBusConnection::disconnectFromBus(m_name);
        if (m_process.processId() > 0)
            ::kill(-static_cast<pid_t>(m_process.processId()), SIGTERM);
        m_process.waitForFinished();
    }
    NmMockBus(const NmMockBus&) = delete;
    NmMockBus& operator=(const NmMockBus&) = delete;

    bool ready() const { return m_ready; }
    const std::string& address() const { return m_address; }

    // type: 8 modem, 5 Bluetooth, 1 ethernet.
    QString addDevice(const QString& name, const QString& iface, uint type = 8)
    {
        return call("AddDialupDevice", {name, iface, type}).toString();
    }

    // A profile of that type, available on device unless that is empty; a "gsm" one with user "u",
    // number "*99#" and, unless null, the password NetworkManager keeps. GetSettings and GetSecrets
    // answer with the D-Bus errors given, unless empty.
    QString addProfile(const QString& name, const char* type = "gsm", const QString& device = {},
                       const char* password = "p", const QString& settingsError = {}, const QString& secretsError = {})
    {
        return call("AddDialupProfile",
                    {name, QLatin1String(type), device, QLatin1String(password), settingsError, secretsError})
            .toString();
    }

    // What activating profile does: steps "device|active STATE REASON MS-AFTER-THE-LAST" ("exit 0 0
    // MS" ends NetworkManager), or the D-Bus error refusal; the answer comes after delaySeconds.
    void script(const QString& profile, const QStringList& steps, const QString& refusal = {}, double delaySeconds = 0)
    {
        call("ScriptActivation", {profile, steps, refusal, delaySeconds});
    }

private:
    QVariant call(const char* method, const QList<QVariant>& arguments)
    {
        QDBusMessage message =
            QDBusMessage::createMethodCall(kManager, QStringLiteral("/org/freedesktop"),
                                           QStringLiteral("org.freedesktop.DBus.Mock"), QLatin1String(method));
        message.setArguments(arguments);
        const QDBusMessage reply = m_control.call(message, QDBus::Block, 30000);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << method << ": " << reply.errorMessage().toStdString();
        return reply.arguments().value(0);
    }

    static inline const QString kManager = QStringLiteral("org.freedesktop.NetworkManager");
    static inline unsigned s_serial = 0;
    QProcess m_process;
    std::string m_address;
    QString m_name = QStringLiteral("nm-mock-control-%1").arg(++s_serial);
    QDBusConnection m_control{QString()};
    bool m_ready = false;
};

} // namespace telmaq::test
