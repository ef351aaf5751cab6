#pragma once

#include "scheduler/SecondCadence.h"

#include <QObject>
#include <QTimer>

#include <functional>

namespace telmaq {

class IClock;

// A timer that calls back once in every wall-clock second, shortly after the second begins,
// and stays there: it is armed afresh for the next second on every firing, before the
// callback runs, so that ticks keep coming while the callback itself dispatches events (a
// dial in progress, a modal notice) and a late firing does not push the later ones back.
class SecondTimer : public QObject
{
public:
    // clock gives the wall-clock time; it must outlive the timer.
    SecondTimer(const IClock& clock, std::function<void()> onTick, QObject* parent = nullptr);

    // Starts ticking from the next second on; a running timer is lined up afresh.
    void start();
    void stop();
    bool isActive() const { return m_timer.isActive(); }

    // Figures since construction: ticks, skipped seconds, the largest offset into a second.
    const SecondCadence& cadence() const { return m_cadence; }

private:
    void fire();

    const IClock& m_clock;
    std::function<void()> m_onTick;
    QTimer m_timer;
    SecondCadence m_cadence;
};

} // namespace telmaq
