#pragma once

#include "platform/system/InstanceLock.h"

namespace telmaq::test {

// A guard that answers what the test tells it to.
struct FakeInstanceLock : IInstanceLock
{
    Result acquire() override { return m_answer; }
    void setAnswer(Result answer) { m_answer = answer; }

    Result m_answer = Result::Acquired;
};

} // namespace telmaq::test
