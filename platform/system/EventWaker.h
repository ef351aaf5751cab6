#pragma once

namespace telmaq {

// Wakes a thread that waits for window events; callable from any thread.
class IEventWaker
{
public:
    virtual ~IEventWaker() = default;
    virtual void wake() = 0;
};

} // namespace telmaq
