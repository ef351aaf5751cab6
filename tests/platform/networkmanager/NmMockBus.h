#pragma once

#include "platform/networkmanager/NmProfile.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace telmaq::test {

// One step of a scripted activation: which object changes (device or active connection),
// to which state, for which reason, how many milliseconds after the step before.
struct ScriptStep
{
    QString target;
    uint state = 0;
    uint reason = 0;
    uint delayMs = 20;
};

inline QDBusArgument& operator<<(QDBusArgument& out, const ScriptStep& step)
{
    out.beginStructure();
    out << step.target << step.state << step.reason << step.delayMs;
    out.endStructure();
    return out;
}

inline const QDBusArgument& operator>>(const QDBusArgument& in, ScriptStep& step)
{
    in.beginStructure();
    in >> step.target >> step.state >> step.reason >> step.delayMs;
    in.endStructure();
    return in;
}

} // namespace telmaq::test

Q_DECLARE_METATYPE(telmaq::test::ScriptStep)
Q_DECLARE_METATYPE(QList<telmaq::test::ScriptStep>)

namespace telmaq::test {

// A private bus of this test's own (dbus-run-session) with python-dbusmock's NetworkManager
// and our dial-up template on it, ended with the test. Nothing touches the machine's buses.
class NmMockBus
{
public:
    // withManager false: the bus stays empty, a machine without NetworkManager.
    explicit NmMockBus(bool withManager = true)
    {
        qDBusRegisterMetaType<nm::NmSettings>();
        qDBusRegisterMetaType<ScriptStep>();
        qDBusRegisterMetaType<QList<ScriptStep>>();
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attributes, 0);
        std::string script = TELMAQ_NM_MOCK_BUS;
        std::string mode = withManager ? "manager" : "none";
        char* argv[] = {script.data(), mode.data(), nullptr};
        if (posix_spawn(&m_pid, script.c_str(), &actions, &attributes, argv, environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        ::close(out[1]);
        m_address = readLine(out[0]);
        ::close(out[0]);
        if (m_address.empty())
            return;
        m_name = QStringLiteral("nm-mock-control-%1").arg(++s_serial);
        m_control = QDBusConnection::connectToBus(QString::fromStdString(m_address), m_name);
        if (withManager)
            waitForManager();
    }

    ~NmMockBus()
    {
        QDBusConnection::disconnectFromBus(m_name);
        if (m_pid > 0) {
            ::kill(-m_pid, SIGTERM);
            int status = 0;
            ::waitpid(m_pid, &status, 0);
        }
    }
    NmMockBus(const NmMockBus&) = delete;
    NmMockBus& operator=(const NmMockBus&) = delete;

    bool ready() const { return m_ready; }
    const std::string& address() const { return m_address; }

    // The process id of the mock NetworkManager, to end it in the middle of a dial.
    uint managerPid()
    {
        return m_control.interface()->servicePid(QStringLiteral("org.freedesktop.NetworkManager")).value();
    }

    QString addDevice(const QString& name, const QString& iface, uint type)
    {
        return mock(QStringLiteral("AddDialupDevice"), {name, iface, type}).toString();
    }

    QString addProfile(const nm::NmSettings& settings, const nm::NmSettings& secrets = {},
                       const QString& device = QString())
    {
        return mock(QStringLiteral("AddDialupProfile"),
                    {QVariant::fromValue(settings), QVariant::fromValue(secrets), device})
            .toString();
    }

    void script(const QString& profile, const QList<ScriptStep>& steps, const QString& error = QString())
    {
        mock(QStringLiteral("ScriptActivation"), {profile, QVariant::fromValue(steps), error});
    }

    void profileErrors(const QString& profile, const QString& settingsError, const QString& secretsError)
    {
        mock(QStringLiteral("SetProfileErrors"), {profile, settingsError, secretsError});
    }

    void activateDelay(double seconds) { mock(QStringLiteral("SetActivateDelay"), {seconds}); }

    // Activates a profile behind telmaq's back, as another program would.
    QString activate(const QString& profile, const QString& device = QStringLiteral("/"))
    {
        return call(QStringLiteral("/org/freedesktop/NetworkManager"), QStringLiteral("org.freedesktop.NetworkManager"),
                    QStringLiteral("ActivateConnection"),
                    {QVariant::fromValue(QDBusObjectPath(profile)), QVariant::fromValue(QDBusObjectPath(device)),
                     QVariant::fromValue(QDBusObjectPath(QStringLiteral("/")))})
            .value<QDBusObjectPath>()
            .path();
    }

    // interface: the part after "org.freedesktop.NetworkManager.", "Device" or "Connection.Active".
    QVariant property(const QString& path, const char* interface, const char* name)
    {
        return call(path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                    {QStringLiteral("org.freedesktop.NetworkManager.") + QLatin1String(interface), QLatin1String(name)})
            .value<QDBusVariant>()
            .variant();
    }

private:
    static inline unsigned s_serial = 0;

    static std::string readLine(int fd)
    {
        std::string line;
        pollfd p{fd, POLLIN, 0};
        // Generous: a loaded machine under a sanitizer starts a bus slowly.
        while (::poll(&p, 1, 60000) > 0) {
            char c = 0;
            if (::read(fd, &c, 1) != 1 || c == '\n')
                break;
            line.push_back(c);
        }
        return line;
    }

    void waitForManager()
    {
        for (int i = 0; i < 1200 && m_control.isConnected(); ++i) {
            if (m_control.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.NetworkManager"))) {
                m_ready = true;
                return;
            }
            QThread::msleep(50);
        }
    }

    QVariant mock(const QString& method, const QList<QVariant>& arguments)
    {
        return call(QStringLiteral("/org/freedesktop"), QStringLiteral("org.freedesktop.DBus.Mock"), method, arguments);
    }

    QVariant call(const QString& path, const QString& interface, const QString& method,
                  const QList<QVariant>& arguments)
    {
        QDBusMessage message =
            QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.NetworkManager"), path, interface, method);
        message.setArguments(arguments);
        const QDBusMessage reply = m_control.call(message, QDBus::Block, 30000);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage)
            << method.toStdString() << ": " << reply.errorMessage().toStdString();
        return reply.arguments().value(0);
    }

    pid_t m_pid = -1;
    std::string m_address;
    QString m_name;
    QDBusConnection m_control{QString()};
    bool m_ready = false;
};

// Settings of a profile from a compact description: {{"connection", {{"id", "x"}, ...}}, ...}.
inline nm::NmSettings settings(std::initializer_list<std::pair<const char*, QVariantMap>> groups)
{
    nm::NmSettings result;
    for (const auto& [name, values] : groups)
        result.insert(QString::fromLatin1(name), values);
    return result;
}

} // namespace telmaq::test
