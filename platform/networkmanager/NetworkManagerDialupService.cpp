#include "platform/networkmanager/NetworkManagerDialupService.h"

#include "platform/networkmanager/NmErrors.h"
#include "platform/networkmanager/NmWorker.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

namespace telmaq {

namespace {

// Copies text with its terminating zero into a field of size bytes; false when it does not fit.
template <std::size_t N> bool copyField(char (&field)[N], const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    if (static_cast<std::size_t>(bytes.size()) >= N)
        return false;
    std::memcpy(field, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    field[bytes.size()] = '\0';
    return true;
}

// The capacity protocol the callers share: room checked against the records' size, the size
// needed handed back on ERROR_BUFFER_TOO_SMALL.
bool checkRoom(std::uint32_t recordSize, std::size_t records, std::uint32_t* bufferSize, std::uint32_t* count,
               std::uint32_t* code)
{
    const std::size_t needed = recordSize * records;
    *count = static_cast<std::uint32_t>(records);
    if (*bufferSize < needed) {
        *bufferSize = static_cast<std::uint32_t>(needed);
        *code = ERROR_BUFFER_TOO_SMALL;
        return false;
    }
    *bufferSize = static_cast<std::uint32_t>(needed);
    return true;
}

} // namespace

NetworkManagerDialupService::NetworkManagerDialupService(NetworkManagerOptions options)
{
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "telmaq";
        static char* argv[] = {name, nullptr};
        m_ownApplication = std::make_unique<QCoreApplication>(argc, argv);
    }
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("telmaq-networkmanager"));
    m_worker = new nm::NmWorker(options.busAddress, std::max(1, options.callTimeoutMs));
    m_worker->moveToThread(m_thread);
    m_thread->start();
    onWorker<int>([this] {
        m_worker->start();
        return 0;
    });
}

NetworkManagerDialupService::~NetworkManagerDialupService()
{
    // The worker goes on its own thread, with its bus connection and its dials: no notifier is
    // called once this returns.
    onWorker<int>([this] {
        delete m_worker;
        return 0;
    });
    m_thread->quit();
    m_thread->wait();
    delete m_thread;
}

template <typename Result, typename Work> Result NetworkManagerDialupService::onWorker(Work work)
{
    if (QThread::currentThread() == m_thread)
        return work(); // a notifier calling back in
    Result result{};
    // Qt's blocking call waits on a futex of its own, which ThreadSanitizer cannot see; the flag
    // shows it, too, that the worker is done with this frame before the frame is left.
    std::atomic<bool> done{false};
    QMetaObject::invokeMethod(
        m_worker,
        [&] {
            result = work();
            done.store(true, std::memory_order_release);
        },
        Qt::BlockingQueuedConnection);
    [[maybe_unused]] const bool finished = done.load(std::memory_order_acquire);
    return result;
}

std::uint32_t NetworkManagerDialupService::enumEntries(RASENTRYNAMEA* entries, std::uint32_t* bufferSize,
                                                       std::uint32_t* count)
{
    if (!bufferSize || !count)
        return nm::ERROR_INVALID_PARAMETER;
    if (entries && *bufferSize >= sizeof(RASENTRYNAMEA) && entries[0].dwSize != sizeof(RASENTRYNAMEA))
        return ERROR_INVALID_SIZE;
    std::vector<nm::NmProfile> profiles;
    const std::uint32_t listed = onWorker<std::uint32_t>([&] { return m_worker->listProfiles(&profiles); });
    if (listed != 0)
        return listed;
    std::uint32_t code = 0;
    if (!checkRoom(sizeof(RASENTRYNAMEA), profiles.size(), bufferSize, count, &code))
        return code;
    if (!entries && !profiles.empty())
        return nm::ERROR_INVALID_PARAMETER; // room claimed, but nowhere to write
    for (std::size_t i = 0; i < profiles.size(); ++i) {
        std::memset(&entries[i], 0, sizeof(RASENTRYNAMEA));
        entries[i].dwSize = sizeof(RASENTRYNAMEA);
        copyField(entries[i].szEntryName, profiles[i].id); // names that do not fit are never listed
    }
    return 0;
}

std::uint32_t NetworkManagerDialupService::enumConnections(RASCONNA* connections, std::uint32_t* bufferSize,
                                                           std::uint32_t* count)
{
    if (!bufferSize || !count)
        return nm::ERROR_INVALID_PARAMETER;
    if (connections && *bufferSize >= sizeof(RASCONNA) && connections[0].dwSize != sizeof(RASCONNA))
        return ERROR_INVALID_SIZE;
    std::vector<nm::NmActiveDialup> active;
    const std::uint32_t listed = onWorker<std::uint32_t>([&] { return m_worker->listActiveDialups(&active); });
    if (listed != 0)
        return listed;
    std::uint32_t code = 0;
    if (!checkRoom(sizeof(RASCONNA), active.size(), bufferSize, count, &code))
        return code;
    if (!connections && !active.empty())
        return nm::ERROR_INVALID_PARAMETER;
    for (std::size_t i = 0; i < active.size(); ++i) {
        RASCONNA& record = connections[i];
        std::memset(&record, 0, sizeof record);
        record.dwSize = sizeof(RASCONNA);
        record.hrasconn = active[i].handle;
        copyField(record.szEntryName, active[i].profile.id);
        copyField(record.szDeviceType, QString::fromLatin1(nm::rasDeviceType(active[i].profile.kind)));
        if (!copyField(record.szDeviceName, active[i].deviceName))
            record.szDeviceName[0] = '\0';
    }
    return 0;
}

std::uint32_t NetworkManagerDialupService::getEntryDialParams(RASDIALPARAMSA* params, bool* passwordRetrieved)
{
    if (!params)
        return nm::ERROR_INVALID_PARAMETER;
    if (params->dwSize != sizeof(RASDIALPARAMSA))
        return ERROR_INVALID_SIZE;
    const QString name = QString::fromUtf8(
        params->szEntryName, static_cast<qsizetype>(strnlen(params->szEntryName, sizeof params->szEntryName)));
    nm::NmProfile profile;
    std::optional<QString> password;
    const std::uint32_t code = onWorker<std::uint32_t>([&] {
        const std::uint32_t found = m_worker->findProfile(name, &profile);
        if (found == 0)
            password = m_worker->password(profile);
        return found;
    });
    if (passwordRetrieved)
        *passwordRetrieved = false;
    if (code != 0)
        return code;
    // Only what the profile holds is filled in; a field that would not fit is left as it was
    // rather than cut short into a wrong value.
    if (!profile.phoneNumber.isEmpty())
        copyField(params->szPhoneNumber, profile.phoneNumber);
    if (!profile.userName.isEmpty())
        copyField(params->szUserName, profile.userName);
    if (password && copyField(params->szPassword, *password) && passwordRetrieved)
        *passwordRetrieved = true;
    // The secret's copy in this process goes as soon as it is handed over.
    if (password)
        password->fill(QChar(u' '));
    return 0;
}

std::uint32_t NetworkManagerDialupService::dial(const RASDIALPARAMSA* params, std::uint32_t notifierType,
                                                RasDialFunc notifier, HRASCONN* connection)
{
    if (!params || !connection)
        return nm::ERROR_INVALID_PARAMETER;
    if (params->dwSize != sizeof(RASDIALPARAMSA))
        return ERROR_INVALID_SIZE;
    if (notifierType != 0)
        return nm::ERROR_NM_UNSUPPORTED_NOTIFIER;
    const QString name = QString::fromUtf8(
        params->szEntryName, static_cast<qsizetype>(strnlen(params->szEntryName, sizeof params->szEntryName)));
    // NetworkManager dials with the secrets it keeps for the profile (or asks its agent for);
    // the user name and password of the record are not passed on.
    return onWorker<std::uint32_t>([&] { return m_worker->dial(name, notifier, connection); });
}

std::uint32_t NetworkManagerDialupService::hangUp(HRASCONN connection)
{
    return onWorker<std::uint32_t>([&] { return m_worker->hangUp(connection); });
}

std::uint32_t NetworkManagerDialupService::getErrorString(std::uint32_t code, char* buffer, std::uint32_t bufferSize)
{
    const std::string text = nm::errorText(code);
    if (text.empty())
        return nm::ERROR_INVALID_PARAMETER;
    if (!buffer || bufferSize <= text.size())
        return ERROR_BUFFER_TOO_SMALL;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return 0;
}

} // namespace telmaq
