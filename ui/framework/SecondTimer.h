#pragma once

#include "scheduler/SecondCadence.h"

#include <functional>
#include <memory>

namespace telmaq {

class IClock;

// A timer that calls back once in every wall-clock second, shortly after the second begins,
// and stays there: it is armed afresh for the next second on every firing, before the
// callback runs, so that ticks keep coming while the callback itself dispatches events (a
// dial in progress, a modal notice) and a late firing does not push the later ones back.
class SecondTimer
{
public:
    // clock gives the wall-clock time; it must outlive the timer.
    SecondTimer(const IClock& clock, std::function<void()> onTick);
    ~SecondTimer();

    // Starts ticking from the next second on; a running timer is lined up afresh.
    void start();
    void stop();
    bool isActive() const;

    // Figures since construction: ticks, skipped seconds, the largest offset into a second.
    const SecondCadence& cadence() const;

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace telmaq
