#include "ui/framework/SecondTimer.h"

#include "platform/system/Clock.h"

#include <QObject>
#include <QTimer>

#include <utility>

namespace telmaq {

class SecondTimer::Impl
{
public:
    Impl(const IClock& clock, std::function<void()> onTick);
    void start();
    void fire();

    const IClock& m_clock;
    std::function<void()> m_onTick;
    QTimer m_timer;
    SecondCadence m_cadence;
};

SecondTimer::SecondTimer(const IClock& clock, std::function<void()> onTick)
    : m_impl(std::make_unique<Impl>(clock, std::move(onTick)))
{}

SecondTimer::~SecondTimer() = default;

void SecondTimer::start()
{
    m_impl->start();
}

void SecondTimer::stop()
{
    m_impl->m_timer.stop();
}

bool SecondTimer::isActive() const
{
    return m_impl->m_timer.isActive();
}

const SecondCadence& SecondTimer::cadence() const
{
    return m_impl->m_cadence;
}

SecondTimer::Impl::Impl(const IClock& clock, std::function<void()> onTick) : m_clock(clock), m_onTick(std::move(onTick))
{
    m_timer.setSingleShot(true);
    // The coarse kind may fire up to 5 % of the interval early or late; a tick must land
    // within a few milliseconds of where it was aimed.
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { fire(); });
}

void SecondTimer::Impl::start()
{
    m_timer.start(m_cadence.start(m_clock.nowMs()));
}

void SecondTimer::Impl::fire()
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
