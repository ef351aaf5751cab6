#include "scheduler/SecondCadence.h"

namespace telmaq {

namespace {

// Floor division, so that times before the epoch still fall into the right second.
std::int64_t secondOf(std::int64_t ms)
{
    return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
}

} // namespace

int SecondCadence::offsetIntoSecond(std::int64_t nowMs)
{
    return static_cast<int>(nowMs - secondOf(nowMs) * 1000);
}

int SecondCadence::msUntilNextSecond(std::int64_t nowMs)
{
    return 1000 - offsetIntoSecond(nowMs);
}

int SecondCadence::start(std::int64_t nowMs)
{
    m_targetSecond = secondOf(nowMs) + 1;
    return msUntilNextSecond(nowMs) + kLeadMs;
}

SecondCadence::Firing SecondCadence::onFire(std::int64_t nowMs)
{
    const std::int64_t second = secondOf(nowMs);
    const bool early = second == m_targetSecond - 1 || (m_started && second == m_lastSecond);
    m_targetSecond = second + 1;
    Firing firing;
    firing.nextDelayMs = msUntilNextSecond(nowMs) + kLeadMs;
    if (early)
        return firing;

    // A clock set back is simply followed; only seconds passed by going forward count as
    // skipped.
    if (m_started && second > m_lastSecond + 1)
        m_skipped += second - m_lastSecond - 1;
    m_started = true;
    m_lastSecond = second;
    ++m_ticks;
    const int offset = offsetIntoSecond(nowMs);
    if (offset > m_largestOffsetMs)
        m_largestOffsetMs = offset;
    firing.deliver = true;
    return firing;
}

} // namespace telmaq
