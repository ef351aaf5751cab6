#include "ui/framework/EventPump.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace telmaq::test {
namespace {

// Far longer than any of these waits should take, so that a wait that ends early can only
// have been ended by what the test did; no test asserts how fast that was.
constexpr int kLongWait = 60000;

// A wake ends a wait at once, whether it came before the wait, during it or before a pump.
TEST(EventPump, WakesAtOnceWaitsWithoutSpinningPumpsWhatIsWaitingAndStopsWhenQuitting)
{
    EventPump pump;
    QElapsedTimer clock;
    clock.start();
    pump.wake();
    EXPECT_TRUE(pump.waitAndPump(kLongWait));
    // Pumping in between does not swallow the wake: the procedure that pumps before it waits
    // has not looked at the report that came with it yet.
    pump.wake();
    EXPECT_TRUE(pump.pumpPendingMessages() && pump.waitAndPump(kLongWait));
    std::thread notifier([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        pump.wake();
    });
    EXPECT_TRUE(pump.waitAndPump(kLongWait));
    notifier.join();
    EXPECT_LT(clock.elapsed(), kLongWait);
    // With nothing to do, a wait sleeps: a handful of passes fill 50 ms where a pump that
    // spun would go round thousands of times.
    clock.restart();
    int passes = 0;
    for (; clock.elapsed() < 50; ++passes)
        ASSERT_TRUE(pump.waitAndPump(50));
    EXPECT_LT(passes, 100);
    bool ran = false;
    QTimer::singleShot(10, [&] { ran = true; });
    while (!ran)
        ASSERT_TRUE(pump.waitAndPump(kLongWait));
    QTimer::singleShot(0, [&] { ran = false; });
    for (int i = 0; i < 1000 && ran; ++i)
        ASSERT_TRUE(pump.pumpPendingMessages());
    EXPECT_FALSE(ran) << "pumping handles what is waiting";
    // Asked to quit, or once the application is quitting, it stops.
    EventPump other;
    pump.requestQuit();
    EXPECT_FALSE(pump.pumpPendingMessages() || pump.waitAndPump(kLongWait));
    QEvent quit(QEvent::Quit);
    QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
    EXPECT_TRUE(other.isQuitting() && !other.pumpPendingMessages());
}

} // namespace
} // namespace telmaq::test
