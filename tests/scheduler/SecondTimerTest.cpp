#include "ui/SecondTimer.h"

#include "platform/system/SystemClock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace telmaq::test {
namespace {

// Runs the event loop until done() holds or a generous time-out passes; answers done().
bool processEventsUntil(const std::function<bool()>& done, int timeoutMs = 60000)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done() && elapsed.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    return done();
}

TEST(SecondTimer, TicksOncePerSecond)
{
    SystemClock clock;
    std::multiset<std::int64_t> seconds;
    SecondTimer timer(clock, [&] { seconds.insert(clock.now()); });
    timer.start();
    ASSERT_TRUE(processEventsUntil([&] { return seconds.size() >= 3; }));
    timer.stop();

    for (std::int64_t second : seconds)
        EXPECT_EQ(seconds.count(second), 1u) << "two ticks in second " << second;
    EXPECT_EQ(timer.cadence().ticksDelivered(), static_cast<std::int64_t>(seconds.size()));
}

TEST(SecondTimer, KeepsTickingWhileATickDispatchesEvents)
{
    // A scheduled connect or the restart notice runs a nested event loop inside the tick;
    // the ticks meanwhile must still come.
    SystemClock clock;
    int ticks = 0;
    int nestedTicks = 0;
    bool inside = false;
    SecondTimer timer(clock, [&] {
        ++ticks;
        if (inside) {
            ++nestedTicks;
            return;
        }
        inside = true;
        processEventsUntil([&] { return nestedTicks >= 2; });
        inside = false;
    });
    timer.start();
    ASSERT_TRUE(processEventsUntil([&] { return ticks >= 1 && !inside; }));
    EXPECT_GE(nestedTicks, 2);
    timer.stop();
}

TEST(SecondTimer, StopsFromInsideATick)
{
    SystemClock clock;
    int ticks = 0;
    SecondTimer* self = nullptr;
    SecondTimer timer(clock, [&] {
        ++ticks;
        self->stop();
    });
    self = &timer;
    timer.start();
    EXPECT_TRUE(timer.isActive());
    ASSERT_TRUE(processEventsUntil([&] { return ticks == 1; }));
    EXPECT_FALSE(timer.isActive());
    processEventsUntil([] { return false; }, 1500);
    EXPECT_EQ(ticks, 1);
}

} // namespace
} // namespace telmaq::test
