#pragma once

#include "platform/process/ProcessLauncher.h"

#include <string>
#include <vector>

namespace telmaq::test {

// Starts nothing: records every command line and answers a fresh handle, or fails as for a
// program that does not exist when failStart is set.
struct FakeProcessLauncher : IProcessLauncher
{
    ProcessHandle start(const std::string& commandLine, std::string* error) override
    {
        started.push_back(commandLine);
        if (failStart && error)
            *error = "cannot be started";
        return failStart ? kNoProcess : 1000 + static_cast<ProcessHandle>(started.size());
    }
    bool hasEnded(ProcessHandle) override { return false; }
    void close(ProcessHandle) override {}

    bool failStart = false;
    std::vector<std::string> started;
};

} // namespace telmaq::test
