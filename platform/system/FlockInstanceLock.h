#pragma once

#include "platform/system/InstanceLock.h"

#include <string>

namespace telmaq {

// The single-instance guard as an advisory lock (flock) on a file in the user's runtime
// folder. The kernel drops the lock when the process ends, however it ends, so a crashed copy
// never keeps the next one out.
class FlockInstanceLock : public IInstanceLock
{
public:
    static constexpr const char* kInstanceName = "wexhal/telmaq Instance";

    // directory is normally runtimeDirectory(), "" when there is none to trust (the guard is
    // then Unavailable); name is the guard's name, made a file name.
    explicit FlockInstanceLock(std::string directory, const std::string& name = kInstanceName);
    ~FlockInstanceLock() override;
    FlockInstanceLock(const FlockInstanceLock&) = delete;
    FlockInstanceLock& operator=(const FlockInstanceLock&) = delete;

    Result acquire() override;

    // The guard's name as a file name: every byte outside [A-Za-z0-9._-] becomes '_', and a
    // name that would be hidden or empty gets a prefix.
    static std::string fileNameFor(const std::string& name);

    const std::string& path() const { return m_path; }

private:
    std::string m_path;
    int m_fd = -1;
};

} // namespace telmaq
