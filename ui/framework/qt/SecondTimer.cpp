#include "ui/framework/SecondTimer.h"

#include "platform/system/Clock.h"

#include <utility>

namespace telmaq {

SecondTimer::SecondTimer(const IClock& clock, std::function<void()> onTick, QObject* parent)
    : QObject(parent), m_clock(clock), m_onTick(std::move(onTick))
{
    m_timer.setSingleShot(true);
    // The coarse kind may fire up to 5 % of the interval early or late; a tick must land
    // within a few milliseconds of where it was aimed.
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] { fire(); });
}

void SecondTimer::start()
{
    m_timer.start(m_cadence.start(m_clock.nowMs()));
}

void SecondTimer::stop()
{
    m_timer.stop();
}

void SecondTimer::fire()
{
    const SecondCadence::Firing firing = m_cadence.onFire(m_clock.nowMs());
    m_timer.start(firing.nextDelayMs);
    // Nothing of this object is touched after the callback: it may end the window that
    // owns the timer.
    if (!firing.deliver || !m_onTick)
        return;
    const std::function<void()> onTick = m_onTick;
    onTick();
}

} // namespace telmaq
