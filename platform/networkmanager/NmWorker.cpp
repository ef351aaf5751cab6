#include "platform/networkmanager/NmWorker.h"

#include "platform/dialup/EntryName.h"
#include "platform/networkmanager/NmErrors.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>

#include <limits>
#include <utility>

namespace telmaq::nm {

namespace {

const QString kActivePrefix = QStringLiteral("/org/freedesktop/NetworkManager/ActiveConnection/");

// The message number the service has always passed to a RasDialFunc.
constexpr std::uint32_t WM_RASDIALEVENT = 0xCCCD;

// NMDeviceType values of the devices a dial-up profile runs on.
constexpr std::uint32_t kDeviceTypeBluetooth = 5;
constexpr std::uint32_t kDeviceTypeModem = 8;

// NMActiveConnectionState values of a connection that is being made or is up.
bool activatingOrActive(std::uint32_t state)
{
    return state == 1 || state == 2;
}

// NMDeviceState values from preparing up to activated: the device is taken.
bool deviceBusy(std::uint32_t state)
{
    return state >= 40 && state <= 100;
}

// Codes that say the bus or NetworkManager is not answering at all, as opposed to an answer
// about one object.
bool managerFailure(std::uint32_t code)
{
    return code == ERROR_MANAGER_UNREACHABLE || code == ERROR_NM_NO_REPLY;
}

} // namespace

HRASCONN handleForActivePath(const QString& path)
{
    if (!path.startsWith(kActivePrefix))
        return kNoConnection;
    bool ok = false;
    const qulonglong number = path.mid(kActivePrefix.size()).toULongLong(&ok);
    if (!ok || number >= std::numeric_limits<HRASCONN>::max())
        return kNoConnection;
    return static_cast<HRASCONN>(number + 1);
}

QString activePathForHandle(HRASCONN handle)
{
    return kActivePrefix + QString::number(static_cast<qulonglong>(handle) - 1);
}

NmWorker::NmWorker(std::string busAddress, int timeoutMs) : m_busAddress(std::move(busAddress)), m_timeoutMs(timeoutMs)
{}

NmWorker::~NmWorker() = default;

void NmWorker::start()
{
    qDBusRegisterMetaType<NmSettings>();
    m_bus = std::make_unique<NmBus>(m_busAddress, m_timeoutMs);
    if (!m_bus->connected())
        return;
    QDBusConnection& bus = m_bus->connection();
    bus.connect(kNmService, QString(), kDeviceInterface, QStringLiteral("StateChanged"), this,
                SLOT(onDeviceStateChanged(uint, uint, uint, QDBusMessage)));
    bus.connect(kNmService, QString(), kActiveInterface, QStringLiteral("StateChanged"), this,
                SLOT(onActiveStateChanged(uint, uint, QDBusMessage)));
    // A VPN's active connection moves from activating to activated only at its very end; its
    // own VPN state tells each step as it is taken.
    bus.connect(kNmService, QString(), kVpnInterface, QStringLiteral("VpnStateChanged"), this,
                SLOT(onVpnStateChanged(uint, uint, QDBusMessage)));
    // A NetworkManager that stops or crashes sends nothing more; without this a dial would wait
    // for ever.
    m_watcher = new QDBusServiceWatcher(kNmService, bus, QDBusServiceWatcher::WatchForUnregistration, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, &NmWorker::onManagerVanished);
}

std::uint32_t NmWorker::listProfiles(std::vector<NmProfile>* profiles)
{
    profiles->clear();
    const NmReply list = m_bus->call(kSettingsPath, kSettingsInterface, QStringLiteral("ListConnections"));
    if (!list.ok())
        return list.code;
    for (const QString& path : objectPaths(list.first())) {
        const NmReply settings = m_bus->call(path, kConnectionInterface, QStringLiteral("GetSettings"));
        if (!settings.ok()) {
            if (managerFailure(settings.code))
                return settings.code;
            continue; // removed meanwhile, or hidden from this user
        }
        std::optional<NmProfile> profile = dialupProfileFrom(path, qdbus_cast<NmSettings>(settings.first()));
        if (!profile)
            continue;
        // Profile names need not be unique in NetworkManager, entry names must: the first wins,
        // and dialling the name dials that one.
        bool duplicate = false;
        for (const NmProfile& known : *profiles)
            duplicate = duplicate || known.id == profile->id;
        if (!duplicate)
            profiles->push_back(std::move(*profile));
    }
    return 0;
}

std::uint32_t NmWorker::listActiveDialups(std::vector<NmActiveDialup>* connections)
{
    connections->clear();
    const NmReply active = m_bus->property(kNmPath, kNmInterface, QStringLiteral("ActiveConnections"));
    if (!active.ok())
        return active.code;
    for (const QString& path : objectPaths(active.first())) {
        const NmReply reply = m_bus->properties(path, kActiveInterface);
        if (!reply.ok()) {
            if (managerFailure(reply.code))
                return reply.code;
            continue;
        }
        const QVariantMap props = reply.first().toMap();
        const QString type = props.value(QStringLiteral("Type")).toString();
        const HRASCONN handle = handleForActivePath(path);
        if (!mayBeDialupType(type) || !activatingOrActive(props.value(QStringLiteral("State")).toUInt()) ||
            handle == kNoConnection)
            continue;

        const QString profilePath = objectPath(props.value(QStringLiteral("Connection")));
        const NmReply settings = m_bus->call(profilePath, kConnectionInterface, QStringLiteral("GetSettings"));
        std::optional<NmProfile> profile;
        if (settings.ok()) {
            profile = dialupProfileFrom(profilePath, qdbus_cast<NmSettings>(settings.first()));
        } else if (type != QLatin1String("pppoe") && type != QLatin1String("bluetooth")) {
            // A profile this user may not read is still a dial-up line in use when its type
            // alone says so.
            NmProfile unreadable;
            unreadable.path = profilePath;
            unreadable.id = props.value(QStringLiteral("Id")).toString();
            unreadable.kind = type == QLatin1String("vpn")    ? NmKind::Vpn
                              : type == QLatin1String("cdma") ? NmKind::Cdma
                                                              : NmKind::Gsm;
            if (entryNameProblem(unreadable.id.toStdString()).empty())
                profile = unreadable;
        }
        if (!profile)
            continue;

        NmActiveDialup connection{handle, path, *profile, QString()};
        const QList<QString> devices = objectPaths(props.value(QStringLiteral("Devices")));
        if (profile->kind == NmKind::Vpn) {
            connection.deviceName = vpnInterface(props);
        } else if (!devices.isEmpty()) {
            const NmReply iface = m_bus->property(devices.first(), kDeviceInterface, QStringLiteral("Interface"));
            if (iface.ok())
                connection.deviceName = iface.first().toString();
        }
        connections->push_back(std::move(connection));
    }
    return 0;
}

NmReply NmWorker::allDevices()
{
    // GetAllDevices includes the PPP device NetworkManager keeps, not yet realised, for a
    // PPPoE profile; older versions only know GetDevices.
    NmReply devices = m_bus->call(kNmPath, kNmInterface, QStringLiteral("GetAllDevices"));
    if (!devices.ok() && !managerFailure(devices.code))
        devices = m_bus->call(kNmPath, kNmInterface, QStringLiteral("GetDevices"));
    return devices;
}

// A VPN's active connection names the device it runs over; its own interface (tun0) is the
// device NetworkManager keeps for it, which shares its addresses' configuration object.
QString NmWorker::vpnInterface(const QVariantMap& activeProperties)
{
    QList<QString> configs;
    for (const char* name : {"Ip4Config", "Ip6Config"}) {
        const QString config = objectPath(activeProperties.value(QLatin1String(name)));
        if (config != QLatin1String("/"))
            configs.push_back(config);
    }
    if (configs.isEmpty())
        return {};
    const NmReply devices = allDevices();
    if (!devices.ok())
        return {};
    for (const QString& path : objectPaths(devices.first())) {
        const NmReply reply = m_bus->properties(path, kDeviceInterface);
        if (!reply.ok())
            continue;
        const QVariantMap props = reply.first().toMap();
        if (configs.contains(objectPath(props.value(QStringLiteral("Ip4Config")))) ||
            configs.contains(objectPath(props.value(QStringLiteral("Ip6Config"))))) {
            const QString ip = props.value(QStringLiteral("IpInterface")).toString();
            return ip.isEmpty() ? props.value(QStringLiteral("Interface")).toString() : ip;
        }
    }
    return {};
}

std::uint32_t NmWorker::findProfile(const QString& name, NmProfile* profile)
{
    std::vector<NmProfile> profiles;
    if (const std::uint32_t code = listProfiles(&profiles))
        return code;
    for (NmProfile& candidate : profiles) {
        if (candidate.id == name) {
            *profile = std::move(candidate);
            return 0;
        }
    }
    return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
}

std::optional<QString> NmWorker::password(const NmProfile& profile)
{
    const NmReply secrets =
        m_bus->call(profile.path, kConnectionInterface, QStringLiteral("GetSecrets"), {profile.secretSetting});
    if (!secrets.ok())
        return std::nullopt;
    return passwordFromSecrets(profile, qdbus_cast<NmSettings>(secrets.first()));
}

bool NmWorker::profileIsActive(const QString& profilePath, std::uint32_t* code)
{
    *code = 0;
    const NmReply active = m_bus->property(kNmPath, kNmInterface, QStringLiteral("ActiveConnections"));
    if (!active.ok()) {
        *code = active.code;
        return false;
    }
    for (const QString& path : objectPaths(active.first())) {
        const NmReply reply = m_bus->properties(path, kActiveInterface);
        if (!reply.ok())
            continue;
        const QVariantMap props = reply.first().toMap();
        if (objectPath(props.value(QStringLiteral("Connection"))) == profilePath &&
            activatingOrActive(props.value(QStringLiteral("State")).toUInt()))
            return true;
    }
    return false;
}

std::uint32_t NmWorker::chooseDevice(const NmProfile& profile, QString* activateOn, QString* follow)
{
    *activateOn = QStringLiteral("/");
    follow->clear();
    if (profile.kind == NmKind::Vpn)
        return 0; // a VPN runs over whatever device carries the route; its own state is enough
    const NmReply devices = allDevices();
    if (!devices.ok())
        return devices.code;
    const std::uint32_t wantedType = profile.kind == NmKind::BluetoothDun ? kDeviceTypeBluetooth : kDeviceTypeModem;
    std::vector<std::pair<QString, std::uint32_t>> forProfile;
    std::vector<std::pair<QString, std::uint32_t>> ofKind;
    for (const QString& path : objectPaths(devices.first())) {
        const NmReply reply = m_bus->properties(path, kDeviceInterface);
        if (!reply.ok())
            continue;
        const QVariantMap props = reply.first().toMap();
        const std::uint32_t state = props.value(QStringLiteral("State")).toUInt();
        if (profile.kind == NmKind::Pppoe) {
            // NetworkManager keeps the PPP device of a PPPoE profile under the profile's
            // interface name; it makes the device itself when activating.
            if (props.value(QStringLiteral("Interface")).toString() == profile.interfaceName)
                forProfile.emplace_back(path, state);
        } else if (objectPaths(props.value(QStringLiteral("AvailableConnections"))).contains(profile.path)) {
            forProfile.emplace_back(path, state);
        } else if (props.value(QStringLiteral("DeviceType")).toUInt() == wantedType) {
            ofKind.emplace_back(path, state);
        }
    }
    const auto& candidates = forProfile.empty() ? ofKind : forProfile;
    if (candidates.empty())
        return 0; // let NetworkManager say which device it lacks
    for (const auto& [path, state] : candidates) {
        if (!deviceBusy(state)) {
            *follow = path;
            if (profile.kind != NmKind::Pppoe)
                *activateOn = path;
            return 0;
        }
    }
    return ERROR_PORT_ALREADY_OPEN;
}

std::uint32_t NmWorker::dial(const QString& name, RasDialFunc notifier, HRASCONN* connection)
{
    NmProfile profile;
    if (const std::uint32_t code = findProfile(name, &profile))
        return code;
    std::uint32_t code = 0;
    if (profileIsActive(profile.path, &code))
        return ERROR_PORT_ALREADY_OPEN;
    if (code != 0)
        return code;
    QString device;
    QString follow;
    if ((code = chooseDevice(profile, &device, &follow)) != 0)
        return code;

    const std::uint64_t serial = m_nextSerial++;
    Dial& dial = m_dials[serial];
    dial.notifier = notifier;
    dial.devicePath = follow;
    queueReports(serial, dial.progress.started());

    // The signals of this activation that arrive while the call is under way wait in this
    // thread's queue and are handled once the dial below knows its paths.
    const NmReply activated =
        m_bus->call(kNmPath, kNmInterface, QStringLiteral("ActivateConnection"),
                    {QVariant::fromValue(QDBusObjectPath(profile.path)), QVariant::fromValue(QDBusObjectPath(device)),
                     QVariant::fromValue(QDBusObjectPath(QStringLiteral("/")))});
    if (!activated.ok()) {
        m_dials.erase(serial);
        // The profile was just found: for a VPN, an unknown connection is the one it would run
        // over.
        if (profile.kind == NmKind::Vpn && activated.code == ERROR_CANNOT_FIND_PHONEBOOK_ENTRY)
            return ERROR_NM_VPN_NO_PARENT;
        return activated.code;
    }
    const QString activePath = objectPath(activated.first());
    const HRASCONN handle = handleForActivePath(activePath);
    if (handle == kNoConnection) {
        m_dials.erase(serial);
        m_bus->call(kNmPath, kNmInterface, QStringLiteral("DeactivateConnection"),
                    {QVariant::fromValue(QDBusObjectPath(activePath))});
        return ERROR_NM_REFUSED;
    }
    dial.activePath = activePath;
    dial.handle = handle;
    if (dial.devicePath.isEmpty() && profile.kind != NmKind::Vpn) {
        // NetworkManager chose the device (or made the PPP one): follow that.
        const NmReply devices = m_bus->property(activePath, kActiveInterface, QStringLiteral("Devices"));
        const QList<QString> paths = devices.ok() ? objectPaths(devices.first()) : QList<QString>();
        if (!paths.isEmpty())
            dial.devicePath = paths.first();
    }
    *connection = handle;
    return 0;
}

std::uint32_t NmWorker::hangUp(HRASCONN connection)
{
    if (connection == kNoConnection)
        return ERROR_INVALID_HANDLE_RAS;
    // Whatever NetworkManager answers, the dial's notifier is done with.
    for (auto it = m_dials.begin(); it != m_dials.end();)
        it = it->second.handle == connection ? m_dials.erase(it) : std::next(it);

    const QString path = activePathForHandle(connection);
    const NmReply reply = m_bus->properties(path, kActiveInterface);
    if (!reply.ok())
        return managerFailure(reply.code) || reply.code == ERROR_NM_NOT_AUTHORIZED ? reply.code
                                                                                   : ERROR_INVALID_HANDLE_RAS;
    const QVariantMap props = reply.first().toMap();
    const QString type = props.value(QStringLiteral("Type")).toString();
    if (!mayBeDialupType(type))
        return ERROR_INVALID_HANDLE_RAS; // never the ethernet or Wi-Fi link
    if (type == QLatin1String("pppoe") || type == QLatin1String("bluetooth")) {
        const QString profilePath = objectPath(props.value(QStringLiteral("Connection")));
        const NmReply settings = m_bus->call(profilePath, kConnectionInterface, QStringLiteral("GetSettings"));
        if (settings.ok() && !dialupProfileFrom(profilePath, qdbus_cast<NmSettings>(settings.first())))
            return ERROR_INVALID_HANDLE_RAS;
    }
    const NmReply down = m_bus->call(kNmPath, kNmInterface, QStringLiteral("DeactivateConnection"),
                                     {QVariant::fromValue(QDBusObjectPath(path))});
    if (down.code == ERROR_NO_CONNECTION)
        return 0; // it went down by itself meanwhile
    return down.code;
}

void NmWorker::onDeviceStateChanged(uint newState, uint, uint reason, const QDBusMessage& message)
{
    stateChanged(NmSource::Device, newState, reason, message);
}

void NmWorker::onActiveStateChanged(uint state, uint reason, const QDBusMessage& message)
{
    stateChanged(NmSource::Active, state, reason, message);
}

void NmWorker::onVpnStateChanged(uint state, uint reason, const QDBusMessage& message)
{
    stateChanged(NmSource::Vpn, state, reason, message);
}

void NmWorker::stateChanged(NmSource source, uint state, uint reason, const QDBusMessage& message)
{
    const QString path = message.path();
    for (auto& [serial, dial] : m_dials)
        if ((source == NmSource::Device ? dial.devicePath : dial.activePath) == path)
            queueReports(serial, dial.progress.stateChanged(source, state, reason));
}

void NmWorker::onManagerVanished()
{
    for (auto& [serial, dial] : m_dials)
        queueReports(serial, dial.progress.managerVanished());
}

void NmWorker::queueReports(std::uint64_t serial, const std::vector<DialReport>& reports)
{
    if (reports.empty())
        return;
    Dial& dial = m_dials.at(serial);
    dial.pending.insert(dial.pending.end(), reports.begin(), reports.end());
    // Delivered from the event loop, never from inside a call: a notifier may hang up.
    QMetaObject::invokeMethod(
        this, [this, serial] { deliver(serial); }, Qt::QueuedConnection);
}

void NmWorker::deliver(std::uint64_t serial)
{
    for (;;) {
        auto it = m_dials.find(serial);
        if (it == m_dials.end())
            return;
        Dial& dial = it->second;
        if (dial.pending.empty()) {
            if (dial.progress.ended())
                m_dials.erase(it);
            return;
        }
        const DialReport report = dial.pending.front();
        dial.pending.pop_front();
        if (dial.notifier)
            dial.notifier(WM_RASDIALEVENT, report.state, report.error);
    }
}

} // namespace telmaq::nm
