#pragma once

#include "platform/process/ProcessLauncher.h"

#include <set>
#include <string>
#include <vector>

namespace telmaq::test {

// A process launcher that starts nothing. It records every command line, answers a fresh
// handle (or a failure when told to), and says a process has ended once the test ends it.
class FakeProcessLauncher : public IProcessLauncher
{
public:
    ProcessHandle start(const std::string& commandLine, std::string* error) override
    {
        started.push_back(commandLine);
        if (failStart) {
            if (error)
                *error = "cannot be started";
            return kNoProcess;
        }
        const ProcessHandle handle = m_next++;
        m_running.insert(handle);
        return handle;
    }

    bool hasEnded(ProcessHandle process) override { return m_running.count(process) == 0; }

    void close(ProcessHandle process) override { closed.push_back(process); }

    // Lets a started process end; hasEnded answers true from then on.
    void end(ProcessHandle process) { m_running.erase(process); }

    // When set, start() fails as for a program that does not exist.
    bool failStart = false;
    std::vector<std::string> started;
    std::vector<ProcessHandle> closed;

private:
    ProcessHandle m_next = 1000;
    std::set<ProcessHandle> m_running;
};

} // namespace telmaq::test
