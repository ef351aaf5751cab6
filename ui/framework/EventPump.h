#pragma once

#include "platform/system/EventWaker.h"

#include <memory>

namespace telmaq {

// Runs the user interface's pending events from inside a long operation (a dial), and waits
// for the next event without spinning. Created on the user-interface thread; wake() may be
// called from any thread, pumping and waiting only from the user-interface thread.
class EventPump : public IEventWaker
{
public:
    EventPump();
    ~EventPump() override;

    // Handles every event that is waiting, then returns. False once the application is
    // quitting; the events are not handled then.
    bool pumpPendingMessages();

    // Waits until an event arrives, wake() is called or maxMs milliseconds pass, then pumps.
    // A wake() that came before the wait began ends it at once, so a report made just
    // before the wait is never left unseen.
    bool waitAndPump(int maxMs);

    // Thread-safe; see waitAndPump.
    void wake() override;

    // Marks the application as quitting, as a quit request from the session would.
    void requestQuit();
    bool isQuitting() const;

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace telmaq
