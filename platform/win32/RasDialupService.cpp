#include "platform/win32/RasDialupService.h"

#include "platform/dialup/ServiceAnswers.h"
#include "platform/win32/NativeApi.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace telmaq {

namespace {

using win32::NativeHandle;

static_assert(sizeof(RASDIALPARAMSA) == win32::kNativeDialParamsSize, "dial parameters go over as they are");

// The process's connections: our number for each of the system's handles, and the notifier
// of each dial of this process.
class Connections
{
public:
    static Connections& instance()
    {
        static Connections connections;
        return connections;
    }

    HRASCONN number(NativeHandle handle)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return numberLocked(handle);
    }

    bool handle(HRASCONN number, NativeHandle& handle)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto it = m_handles.find(number);
        if (it == m_handles.end())
            return false;
        handle = it->second;
        return true;
    }

    std::uint32_t dial(const RASDIALPARAMSA* params, RasDialFunc notifier, HRASCONN* connection)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            ++m_starting;
        }
        NativeHandle handle = 0;
        const std::uint32_t rc = win32::nativeDial(params, &Connections::report, &handle);
        std::lock_guard<std::mutex> lock(m_mutex);
        --m_starting;
        // The service may hand out a connection with a failure too; it must be hung up.
        *connection = handle ? numberLocked(handle) : kNoConnection;
        if (handle && notifier)
            m_notifiers[*connection] = notifier;
        m_cv.notify_all();
        return rc;
    }

    std::uint32_t hangUp(HRASCONN number)
    {
        NativeHandle handle = 0;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            const auto it = m_handles.find(number);
            if (it == m_handles.end())
                return ERROR_INVALID_HANDLE_RAS;
            handle = it->second;
            m_notifiers.erase(number);
            if (std::this_thread::get_id() != m_deliveringThread)
                m_cv.wait(lock, [&] { return m_delivering != number; });
        }
        const std::uint32_t rc = win32::nativeHangUp(handle);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_handles.erase(number);
        m_numbers.erase(handle);
        return rc;
    }

private:
    HRASCONN numberLocked(NativeHandle handle)
    {
        const auto it = m_numbers.find(handle);
        if (it != m_numbers.end())
            return it->second;
        while (m_handles.count(m_next) || m_next == kNoConnection)
            ++m_next;
        m_numbers[handle] = m_next;
        m_handles[m_next] = handle;
        return m_next++;
    }

    // The service's thread. A report may come before RasDialA has returned the handle it is
    // about; it waits for the dial to be known.
    static void report(NativeHandle handle, std::uint32_t message, std::uint32_t state, std::uint32_t error)
    {
        Connections& self = instance();
        std::unique_lock<std::mutex> lock(self.m_mutex);
        self.m_cv.wait(lock, [&] { return self.m_starting == 0 || self.m_numbers.count(handle); });
        const auto number = self.m_numbers.find(handle);
        if (number == self.m_numbers.end())
            return;
        const auto notifier = self.m_notifiers.find(number->second);
        if (notifier == self.m_notifiers.end())
            return;
        const RasDialFunc call = notifier->second;
        self.m_delivering = number->second;
        self.m_deliveringThread = std::this_thread::get_id();
        lock.unlock();
        call(message, state, error);
        lock.lock();
        self.m_delivering = kNoConnection;
        self.m_deliveringThread = std::thread::id();
        self.m_cv.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::map<NativeHandle, HRASCONN> m_numbers;
    std::map<HRASCONN, NativeHandle> m_handles;
    std::map<HRASCONN, RasDialFunc> m_notifiers;
    HRASCONN m_next = 1;
    int m_starting = 0;
    HRASCONN m_delivering = kNoConnection;
    std::thread::id m_deliveringThread;
};

} // namespace

std::uint32_t RasDialupService::enumEntries(RASENTRYNAMEA* entries, std::uint32_t* bufferSize, std::uint32_t* count)
{
    std::vector<std::string> names;
    if (std::uint32_t code = win32::nativeEntryNames(names))
        return code;
    return answerListing(entries, bufferSize, count, names.size(), [&](std::size_t i, RASENTRYNAMEA& record) {
        copyText(record.szEntryName, sizeof record.szEntryName, names[i]);
    });
}

std::uint32_t RasDialupService::enumConnections(RASCONNA* connections, std::uint32_t* bufferSize, std::uint32_t* count)
{
    std::vector<win32::NativeConnectionRecord> list;
    if (std::uint32_t code = win32::nativeConnections(list))
        return code;
    Connections& numbers = Connections::instance();
    return answerListing(connections, bufferSize, count, list.size(), [&](std::size_t i, RASCONNA& record) {
        record.hrasconn = numbers.number(list[i].handle);
        copyText(record.szEntryName, sizeof record.szEntryName, list[i].entry);
        copyText(record.szDeviceType, sizeof record.szDeviceType, list[i].deviceType);
        copyText(record.szDeviceName, sizeof record.szDeviceName, list[i].deviceName);
    });
}

std::uint32_t RasDialupService::getEntryDialParams(RASDIALPARAMSA* params, bool* passwordRetrieved)
{
    if (!params)
        return ERROR_INVALID_PARAMETER_RAS;
    return win32::nativeEntryDialParams(params, passwordRetrieved);
}

std::uint32_t RasDialupService::dial(const RASDIALPARAMSA* params, std::uint32_t notifierType, RasDialFunc notifier,
                                     HRASCONN* connection)
{
    if (!params || !connection || notifierType != 0)
        return ERROR_INVALID_PARAMETER_RAS;
    return Connections::instance().dial(params, notifier, connection);
}

std::uint32_t RasDialupService::hangUp(HRASCONN connection)
{
    return Connections::instance().hangUp(connection);
}

std::uint32_t RasDialupService::getErrorString(std::uint32_t code, char* buffer, std::uint32_t bufferSize)
{
    return win32::nativeErrorString(code, buffer, bufferSize);
}

} // namespace telmaq
