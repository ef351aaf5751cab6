#pragma once

#include "platform/dialup/DialupService.h"
#include "platform/networkmanager/NmBus.h"
#include "platform/networkmanager/NmDialProgress.h"
#include "platform/networkmanager/NmProfile.h"

#include <QDBusMessage>
#include <QObject>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QDBusServiceWatcher;

namespace telmaq::nm {

// An active connection of a dial-up kind, as a connection record wants it.
struct NmActiveDialup
{
    HRASCONN handle;
    QString path;
    NmProfile profile;
    QString deviceName;
};

// The provider's half that lives on its own thread: the bus connection, the subscriptions to
// NetworkManager's signals and the dials in progress. Every method runs on that thread; the
// provider hands calls over and waits for them.
class NmWorker : public QObject
{
    Q_OBJECT
public:
    NmWorker(std::string busAddress, int timeoutMs);
    ~NmWorker() override;

    // Connects to the bus and subscribes to the state changes of devices, active connections
    // and VPN connections. Subscribing once, for every object, before any activation means that no
    // change of a new activation can slip by between the call and the subscription.
    void start();

    std::uint32_t listProfiles(std::vector<NmProfile>* profiles);
    std::uint32_t listActiveDialups(std::vector<NmActiveDialup>* connections);
    std::uint32_t findProfile(const QString& name, NmProfile* profile);
    // The stored password, or nothing when there is none or the user may not read it.
    std::optional<QString> password(const NmProfile& profile);
    std::uint32_t dial(const QString& name, RasDialFunc notifier, HRASCONN* connection);
    std::uint32_t hangUp(HRASCONN connection);

private slots:
    void onDeviceStateChanged(uint newState, uint oldState, uint reason, const QDBusMessage& message);
    void onActiveStateChanged(uint state, uint reason, const QDBusMessage& message);
    void onVpnStateChanged(uint state, uint reason, const QDBusMessage& message);
    void onManagerVanished();

private:
    struct Dial
    {
        HRASCONN handle = kNoConnection;
        QString activePath;
        QString devicePath; // empty while the dial follows no device
        RasDialFunc notifier = nullptr;
        NmDialProgress progress;
        std::deque<DialReport> pending;
    };

    // The device to activate the profile on ("/": NetworkManager's choice) and the one whose
    // state changes the dial follows (empty: none known yet).
    std::uint32_t chooseDevice(const NmProfile& profile, QString* activateOn, QString* follow);
    bool profileIsActive(const QString& profilePath, std::uint32_t* code);
    NmReply allDevices();
    QString vpnInterface(const QVariantMap& activeProperties);
    void stateChanged(NmSource source, uint state, uint reason, const QDBusMessage& message);
    void queueReports(std::uint64_t serial, const std::vector<DialReport>& reports);
    void deliver(std::uint64_t serial);

    std::string m_busAddress;
    int m_timeoutMs;
    std::unique_ptr<NmBus> m_bus;
    QDBusServiceWatcher* m_watcher = nullptr;
    std::map<std::uint64_t, Dial> m_dials;
    std::uint64_t m_nextSerial = 1;
};

// The handle of the active connection at path (its number plus one, so that it is never 0 and
// every process of the user derives the same handle), or 0 for a path that has none.
HRASCONN handleForActivePath(const QString& path);
QString activePathForHandle(HRASCONN handle);

} // namespace telmaq::nm
