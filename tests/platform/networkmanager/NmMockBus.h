#pragma once

#include "support/WaitUntil.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace telmaq::test {

// A private bus of this test's own (dbus-run-session) with python-dbusmock's NetworkManager and
// our dial-up template on it, ended with the test. Nothing touches the machine's buses.
class NmMockBus
{
public:
    // withManager false: the bus stays empty, a machine without NetworkManager.
    explicit NmMockBus(bool withManager = true)
    {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP); // a group of its own, ended whole
        char script[] = TELMAQ_NM_MOCK_BUS, none[] = "none";
        char* argv[] = {script, withManager ? nullptr : none, nullptr};
        if (posix_spawn(&m_pid, script, &actions, &attributes, argv, environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        ::close(out[1]);
        FILE* in = ::fdopen(out[0], "r");
        char line[512] = {};
        if (std::fgets(line, sizeof line, in))
            m_address.assign(line, std::strcspn(line, "\n"));
        std::fclose(in);
        m_control = QDBusConnection::connectToBus(QString::fromStdString(m_address), m_name);
        m_ready = withManager && !m_address.empty() && waitUntil([this] {
            return m_control.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.NetworkManager")).value();
        }, 60000);
    }

    ~NmMockBus()
    {
        QDBusConnection::disconnectFromBus(m_name);
        if (m_pid > 0 && ::kill(-m_pid, SIGTERM) == 0)
            ::waitpid(m_pid, nullptr, 0);
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
        return call("AddDialupProfile", {name, QLatin1String(type), device, QLatin1String(password), settingsError,
                                         secretsError})
            .toString();
    }

    // What activating profile does: steps "device|active STATE REASON MS-AFTER-THE-LAST" ("exit 0 0
    // MS" ends NetworkManager), or the D-Bus error refusal; the answer comes after delaySeconds.
    void script(const QString& profile, const QStringList& steps, const QString& refusal = {}, double delaySeconds = 0)
    {
        call("ScriptActivation", {profile, steps, refusal, delaySeconds});
    }

    // Activates a profile behind telmaq's back, as another program would.
    QString activate(const QString& profile, const QString& device)
    {
        const auto path = [](const QString& p) { return QVariant::fromValue(QDBusObjectPath(p)); };
        return call("ActivateConnection", {path(profile), path(device), path(QStringLiteral("/"))},
                    QStringLiteral("/org/freedesktop/NetworkManager"), QStringLiteral("org.freedesktop.NetworkManager"))
            .value<QDBusObjectPath>()
            .path();
    }

private:
    QVariant call(const char* method, const QList<QVariant>& arguments,
                  const QString& path = QStringLiteral("/org/freedesktop"),
                  const QString& interface = QStringLiteral("org.freedesktop.DBus.Mock"))
    {
        QDBusMessage message = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.NetworkManager"), path,
                                                              interface, QLatin1String(method));
        message.setArguments(arguments);
        const QDBusMessage reply = m_control.call(message, QDBus::Block, 30000);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << method << ": " << reply.errorMessage().toStdString();
        return reply.arguments().value(0);
    }

    static inline unsigned s_serial = 0;
    pid_t m_pid = -1;
    std::string m_address;
    QString m_name = QStringLiteral("nm-mock-control-%1").arg(++s_serial);
    QDBusConnection m_control{QString()};
    bool m_ready = false;
};

} // namespace telmaq::test
