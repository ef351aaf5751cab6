#pragma once

#include "platform/process/ProcessLauncher.h"

#include <string>
#include <vector>

namespace telmaq::test {

// A process launcher that starts nothing: it records every command line and answers a fresh
// handle, or a failure as for a program that does not exist when failStart is set.
class FakeProcessLauncher : public IProcessLauncher
{
public:
    ProcessHandle start(const std::string& commandLine, std::string* error) override
    {
        started.push_back(commandLine);
        if (failStart && error)
            *error = "cannot be started";
        return failStart ? kNoProcess : m_next++;
    }
    bool hasEnded(ProcessHandle) override { return false; }
    void close(ProcessHandle) override {}

    bool failStart = false;
    std::vector<std::string> started;

private:
    ProcessHandle m_next = 1000;
};

} // namespace telmaq::test
