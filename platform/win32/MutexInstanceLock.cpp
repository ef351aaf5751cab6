#include "platform/win32/MutexInstanceLock.h"

#include <windows.h>

namespace telmaq {

MutexInstanceLock::MutexInstanceLock(const char* name) : m_name(name) {}

MutexInstanceLock::~MutexInstanceLock()
{
    if (m_mutex)
        CloseHandle(m_mutex);
}

IInstanceLock::Result MutexInstanceLock::acquire()
{
    if (m_mutex)
        return Result::Acquired;
    // A copy that is running is found without touching its mutex.
    if (HANDLE found = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, m_name)) {
        CloseHandle(found);
        return Result::HeldByAnother;
    }
    HANDLE created = CreateMutexA(nullptr, FALSE, m_name);
    if (!created)
        return GetLastError() == ERROR_ACCESS_DENIED ? Result::HeldByAnother : Result::Unavailable;
    // Two copies started together both find no mutex; only the one that made it goes on.
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(created);
        return Result::HeldByAnother;
    }
    m_mutex = created;
    return Result::Acquired;
}

} // namespace telmaq
