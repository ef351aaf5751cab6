#include "ui/framework/SecondTimer.h"

#include "platform/system/Clock.h"

#include <map>

#include "ui/framework/win32/WinApi.h"

namespace telmaq {

class SecondTimer::Impl
{
public:
    Impl(const IClock& clock, std::function<void()> onTick) : m_clock(clock), m_onTick(std::move(onTick)) {}
    ~Impl() { stop(); }

    void arm(int delayMs);
    void stop();
    void fire();
    static void CALLBACK timerProcedure(HWND, UINT, UINT_PTR id, DWORD);
    static std::map<UINT_PTR, Impl*>& runningTimers();

    const IClock& m_clock;
    std::function<void()> m_onTick;
    UINT_PTR m_id = 0;
    SecondCadence m_cadence;
};

// A thread timer names no object, so the running timers are found by their ids.
std::map<UINT_PTR, SecondTimer::Impl*>& SecondTimer::Impl::runningTimers()
{
    static std::map<UINT_PTR, Impl*> timers;
    return timers;
}

void SecondTimer::Impl::arm(int delayMs)
{
    stop();
    // The system rounds a timer to its tick (15.6 ms by default); the cadence's lead and its
    // early-firing check keep every tick inside its second all the same.
    m_id = ::SetTimer(nullptr, 0, static_cast<UINT>(delayMs < USER_TIMER_MINIMUM ? USER_TIMER_MINIMUM : delayMs),
                      timerProcedure);
    if (m_id)
        runningTimers()[m_id] = this;
}

void SecondTimer::Impl::stop()
{
    if (!m_id)
        return;
    ::KillTimer(nullptr, m_id);
    runningTimers().erase(m_id);
    m_id = 0;
}

void CALLBACK SecondTimer::Impl::timerProcedure(HWND, UINT, UINT_PTR id, DWORD)
{
    const auto found = runningTimers().find(id);
    if (found != runningTimers().end())
        found->second->fire();
}

void SecondTimer::Impl::fire()
{
    const SecondCadence::Firing firing = m_cadence.onFire(m_clock.nowMs());
    arm(firing.nextDelayMs);
    // Nothing of this object is touched after the callback: it may end the window that
    // owns the timer.
    if (!firing.deliver || !m_onTick)
        return;
    const std::function<void()> onTick = m_onTick;
    onTick();
}

SecondTimer::SecondTimer(const IClock& clock, std::function<void()> onTick)
    : m_impl(std::make_unique<Impl>(clock, std::move(onTick)))
{}

SecondTimer::~SecondTimer() = default;

void SecondTimer::start()
{
    m_impl->arm(m_impl->m_cadence.start(m_impl->m_clock.nowMs()));
}

void SecondTimer::stop()
{
    m_impl->stop();
}

bool SecondTimer::isActive() const
{
    return m_impl->m_id != 0;
}

const SecondCadence& SecondTimer::cadence() const
{
    return m_impl->m_cadence;
}

} // namespace telmaq
