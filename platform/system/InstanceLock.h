#pragma once

namespace telmaq {

// The single-instance guard: one copy of telmaq per user.
class IInstanceLock
{
public:
    enum class Result
    {
        Acquired,      // this process holds the guard until it ends
        HeldByAnother, // another copy is running
        Unavailable,   // the guard could not be set up; the caller goes on without one
    };

    virtual ~IInstanceLock() = default;

    // Takes the guard atomically, so that two copies started together cannot both win.
    virtual Result acquire() = 0;
};

} // namespace telmaq
