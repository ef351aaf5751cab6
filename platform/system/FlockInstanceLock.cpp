#include "platform/system/FlockInstanceLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace telmaq {

FlockInstanceLock::FlockInstanceLock(std::string directory, const std::string& name)
    : m_path(directory.empty() ? std::string() : std::move(directory) + "/" + fileNameFor(name))
{}

FlockInstanceLock::~FlockInstanceLock()
{
    // The file stays: removing it while another copy waits to open it would let two copies
    // lock two different files.
    if (m_fd >= 0)
        ::close(m_fd);
}

std::string FlockInstanceLock::fileNameFor(const std::string& name)
{
    std::string file;
    for (unsigned char c : name) {
        const bool safe = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
                          c == '_' || c == '-';
        file.push_back(safe ? static_cast<char>(c) : '_');
    }
    if (file.empty() || file.front() == '.')
        file.insert(0, "lock");
    return file + ".lock";
}

IInstanceLock::Result FlockInstanceLock::acquire()
{
    if (m_fd >= 0)
        return Result::Acquired;
    if (m_path.empty())
        return Result::Unavailable;
    // O_CLOEXEC keeps the lock out of the applications we launch: one that outlives us must
    // not keep the next copy of telmaq from starting.
    const int fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return Result::Unavailable;
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return held ? Result::HeldByAnother : Result::Unavailable;
    }
    m_fd = fd;
    return Result::Acquired;
}

} // namespace telmaq
