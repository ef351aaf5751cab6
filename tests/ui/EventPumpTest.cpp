#include "ui/EventPump.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace telmaq {
namespace {

// Far longer than any of these waits should take, so that a wait that ends early can only
// have been ended by what the test did; no test asserts how fast that was.
constexpr int kLongWait = 60000;

TEST(EventPump, AWakeBeforeTheWaitEndsTheWaitAtOnce)
{
    EventPump pump;
    QElapsedTimer clock;
    clock.start();
    pump.wake();
    EXPECT_TRUE(pump.waitAndPump(kLongWait));
    EXPECT_LT(clock.elapsed(), kLongWait);

    // Pumping in between does not swallow the wake: the procedure that pumps before it waits
    // has not looked at the report that came with it yet.
    clock.restart();
    pump.wake();
    EXPECT_TRUE(pump.pumpPendingMessages());
    EXPECT_TRUE(pump.waitAndPump(kLongWait));
    EXPECT_LT(clock.elapsed(), kLongWait);
}

TEST(EventPump, AWakeFromAnotherThreadEndsARunningWait)
{
    EventPump pump;
    std::atomic<bool> waiting{false};
    std::thread notifier([&] {
        while (!waiting.load())
            std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        pump.wake();
    });
    QElapsedTimer clock;
    clock.start();
    waiting.store(true);
    EXPECT_TRUE(pump.waitAndPump(kLongWait));
    notifier.join();
    EXPECT_LT(clock.elapsed(), kLongWait);
}

TEST(EventPump, WaitingSleepsUntilItsMaximumTimeOrTheNextEvent)
{
    EventPump pump;
    // With nothing to do, a wait sleeps: a handful of passes fill 50 ms where a pump that
    // spun would go round thousands of times.
    QElapsedTimer clock;
    clock.start();
    int passes = 0;
    while (clock.elapsed() < 50) {
        ASSERT_TRUE(pump.waitAndPump(50));
        ++passes;
    }
    EXPECT_LT(passes, 100);

    // A window event ends a long wait.
    bool ran = false;
    QTimer::singleShot(10, [&] { ran = true; });
    while (!ran)
        ASSERT_TRUE(pump.waitAndPump(kLongWait));
}

TEST(EventPump, PumpsUntilAskedToQuitOrTheApplicationIsQuitting)
{
    EventPump pump;
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    for (int i = 0; i < 1000 && !ran; ++i)
        ASSERT_TRUE(pump.pumpPendingMessages());
    EXPECT_TRUE(ran) << "pumping handles what is waiting";
    pump.requestQuit();
    EXPECT_FALSE(pump.pumpPendingMessages());
    EXPECT_FALSE(pump.waitAndPump(kLongWait));

    EventPump other;
    QEvent quit(QEvent::Quit);
    QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
    EXPECT_TRUE(other.isQuitting());
    EXPECT_FALSE(other.pumpPendingMessages());
}

} // namespace
} // namespace telmaq
