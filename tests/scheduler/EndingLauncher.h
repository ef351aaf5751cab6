#pragma once

#include "platform/process/ProcessLauncher.h"

#include <set>

namespace telmaq::test {

// A process launcher whose processes end when the test says so. It notes every close, so a
// test sees that a handle is released exactly once.
class EndingLauncher : public IProcessLauncher
{
public:
    ProcessHandle start(const std::string&, std::string*) override { return m_next++; }
    bool hasEnded(ProcessHandle process) override { return ++polls, m_ended.count(process) != 0; }
    void close(ProcessHandle process) override { closed.insert(process); }
    void end(ProcessHandle process) { m_ended.insert(process); }

    std::multiset<ProcessHandle> closed;
    int polls = 0;

private:
    ProcessHandle m_next = 41;
    std::set<ProcessHandle> m_ended;
};

} // namespace telmaq::test
