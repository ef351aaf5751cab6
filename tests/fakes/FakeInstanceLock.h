#pragma once

#include "platform/system/InstanceLock.h"

namespace telmaq::test {

// A guard that answers what the test tells it to and counts how often it was asked.
class FakeInstanceLock : public IInstanceLock
{
public:
    explicit FakeInstanceLock(Result answer = Result::Acquired) : m_answer(answer) {}
    Result acquire() override { return ++m_calls, m_answer; }
    void setAnswer(Result answer) { m_answer = answer; }
    int calls() const { return m_calls; }

private:
    Result m_answer;
    int m_calls = 0;
};

} // namespace telmaq::test
