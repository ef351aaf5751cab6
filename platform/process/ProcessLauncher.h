#pragma once

#include <cstdint>
#include <string>

namespace telmaq {

// A launched program as the main window keeps it; kNoProcess when none is known.
using ProcessHandle = std::int64_t;
constexpr ProcessHandle kNoProcess = 0;

class IProcessLauncher
{
public:
    virtual ~IProcessLauncher() = default;

    // Starts a command line, split into words the way a shell splits them (quotes honoured)
    // but without a shell, with this program's environment and current directory. Answers
    // kNoProcess, with the reason in *error when error is given, if it cannot be started.
    virtual ProcessHandle start(const std::string& commandLine, std::string* error) = 0;

    // True once the process has ended, or when it can no longer be waited for. Never blocks.
    virtual bool hasEnded(ProcessHandle process) = 0;

    // Forgets the handle. A process still running is left running.
    virtual void close(ProcessHandle process) = 0;
};

} // namespace telmaq
