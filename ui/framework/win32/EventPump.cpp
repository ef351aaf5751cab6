#include "ui/framework/EventPump.h"

#include "ui/framework/win32/WinApi.h"

#include <atomic>

namespace telmaq {

namespace {

// The quit request is the program's, not one pump's.
std::atomic<bool>& quitting()
{
    static std::atomic<bool> flag{false};
    return flag;
}

} // namespace

class EventPump::Impl
{
public:
    // Auto-reset: a wake before the wait stays set until the wait takes it.
    HANDLE m_waker = CreateEventW(nullptr, FALSE, FALSE, nullptr);
};

EventPump::EventPump() : m_impl(std::make_unique<Impl>()) {}

EventPump::~EventPump()
{
    CloseHandle(m_impl->m_waker);
}

bool EventPump::pumpPendingMessages()
{
    MSG message;
    while (!quitting() && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quitting() = true;
            // Left for the loop outside, which ends on it.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        win32::dispatchMessage(message);
    }
    return !quitting();
}

bool EventPump::waitAndPump(int maxMs)
{
    if (quitting())
        return false;
    MsgWaitForMultipleObjectsEx(1, &m_impl->m_waker, static_cast<DWORD>(maxMs < 0 ? 0 : maxMs), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
    return pumpPendingMessages();
}

void EventPump::wake()
{
    SetEvent(m_impl->m_waker);
}

void EventPump::requestQuit()
{
    quitting() = true;
}

bool EventPump::isQuitting() const
{
    return quitting();
}

} // namespace telmaq
