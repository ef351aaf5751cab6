#pragma once

#include "platform/process/ProcessLauncher.h"

namespace telmaq {

// Starts programs with CreateProcessA. The command line goes to the system as it stands: on
// Windows the started program splits its own command line. The handle is the process's own.
class Win32ProcessLauncher : public IProcessLauncher
{
public:
    ProcessHandle start(const std::string& commandLine, std::string* error) override;
    // WaitForSingleObject with no wait: anything but "still running" counts as ended.
    bool hasEnded(ProcessHandle process) override;
    void close(ProcessHandle process) override;
};

} // namespace telmaq
