#pragma once

#include "platform/process/ProcessLauncher.h"

#include <set>
#include <vector>

namespace telmaq {

// Starts programs with posix_spawnp, without a shell, and tells their end without ever
// waiting. The handle is the child's process id. A child is never killed: one that is still
// running when its handle is closed is left to run and reaped once it has ended, so it never
// lingers as a zombie while telmaq runs.
class PosixProcessLauncher : public IProcessLauncher
{
public:
    PosixProcessLauncher() = default;
    ~PosixProcessLauncher() override;
    PosixProcessLauncher(const PosixProcessLauncher&) = delete;
    PosixProcessLauncher& operator=(const PosixProcessLauncher&) = delete;

    ProcessHandle start(const std::string& commandLine, std::string* error) override;
    bool hasEnded(ProcessHandle process) override;
    void close(ProcessHandle process) override;

private:
    // Collects the children whose handles were closed while they still ran.
    void reapForgotten();

    // Children already reaped whose handles are still held: waitpid would no longer know them.
    std::set<ProcessHandle> m_ended;
    std::vector<ProcessHandle> m_forgotten;
};

} // namespace telmaq
