#pragma once

#include <cstdint>

namespace telmaq {

// When a once-a-second timer should fire so that every wall-clock second gets exactly one
// tick early in it. The timer is armed afresh on every firing for the next second's start
// (plus a small lead), measured on the wall clock, so lateness and the drift between the
// timer's clock and the wall clock never add up and a second is only ever skipped when the
// thread was held up for longer than a second. A firing that comes before its second (the
// two clocks disagree by a millisecond or two) delivers nothing and re-arms, so every tick
// falls early in its own second.
class SecondCadence
{
public:
    // How far into the second the timer aims, so that it is past the boundary even when the
    // timer's clock runs a little ahead of the wall clock.
    static constexpr int kLeadMs = 5;

    // Milliseconds from nowMs to the start of the next wall-clock second, 1 to 1000.
    static int msUntilNextSecond(std::int64_t nowMs);

    // How far nowMs lies into its second, 0 to 999.
    static int offsetIntoSecond(std::int64_t nowMs);

    // The timer starts at nowMs: answers the delay to arm it with, aimed at the next second.
    int start(std::int64_t nowMs);

    struct Firing
    {
        bool deliver = false; // run the tick for this firing
        int nextDelayMs = 0;  // arm the timer again with this delay, before running the tick
    };

    // The timer fired at nowMs (wall clock).
    Firing onFire(std::int64_t nowMs);

    // Figures since construction: ticks delivered, seconds between the first and the last
    // tick that had none, the largest offset of a tick into its second.
    std::int64_t ticksDelivered() const { return m_ticks; }
    std::int64_t secondsSkipped() const { return m_skipped; }
    int largestOffsetMs() const { return m_largestOffsetMs; }

private:
    bool m_started = false;
    std::int64_t m_lastSecond = 0;
    // The second the timer is armed for; a firing in the second before it is early.
    std::int64_t m_targetSecond = 0;
    std::int64_t m_ticks = 0;
    std::int64_t m_skipped = 0;
    int m_largestOffsetMs = 0;
};

} // namespace telmaq
