#pragma once

#include "platform/system/InstanceLock.h"

namespace telmaq {

// The single-instance guard as the named mutex that running copies have always shared. The
// system closes the mutex with the last handle, so a copy that was killed keeps nobody out.
class MutexInstanceLock : public IInstanceLock
{
public:
    static constexpr const char* kInstanceName = "wexhal/telmaq Instance";

    explicit MutexInstanceLock(const char* name = kInstanceName);
    // Lets go of the guard.
    ~MutexInstanceLock() override;
    MutexInstanceLock(const MutexInstanceLock&) = delete;
    MutexInstanceLock& operator=(const MutexInstanceLock&) = delete;

    Result acquire() override;

private:
    const char* m_name;
    void* m_mutex = nullptr;
};

} // namespace telmaq
