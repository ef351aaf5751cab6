#include "connection/DialNotification.h"
#include "platform/dialup/DialupService.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <random>
#include <thread>

namespace telmaq {
namespace {

#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
constexpr int kStressRounds = 1500;
#else
constexpr int kStressRounds = 20000;
#endif

// A sticky waker as the real window has one: a wake that comes before the wait still ends it.
class StickyWaker : public IEventWaker
{
public:
    void wake() override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_woken = true;
        ++count;
        m_cv.notify_all();
    }
    // False when nothing woke it for a very long time: a wake was lost.
    bool waitForWake()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        const bool woken = m_cv.wait_for(lock, std::chrono::seconds(60), [this] { return m_woken; });
        m_woken = false;
        return woken;
    }
    int count = 0; // read only while no other thread records

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_woken = false;
};

TEST(DialNotificationTest, RecordsOnlyWhileListeningAndTakesEachReportOnce)
{
    DialNotification record;
    StickyWaker waker;

    record.record(RASCS_Connected, 0);
    EXPECT_FALSE(record.peek().changed) << "nothing is recorded before a connect listens";

    record.begin(&waker);
    EXPECT_TRUE(record.isActive());
    record.record(RASCS_OpenPort, 0);
    record.record(RASCS_ConnectDevice, ERROR_LINE_BUSY);
    EXPECT_EQ(waker.count, 2);

    // Only the latest report is kept, with its own error.
    DialReport taken = record.take();
    EXPECT_TRUE(taken.changed);
    EXPECT_EQ(taken.state, RASCS_ConnectDevice);
    EXPECT_EQ(taken.error, ERROR_LINE_BUSY);
    EXPECT_FALSE(record.take().changed) << "a report is taken once";

    record.record(RASCS_PortOpened, 0);
    record.drop();
    EXPECT_FALSE(record.take().changed);

    // A new connect starts from a cleared state, so only its own Connected counts.
    record.record(RASCS_Connected, 0);
    record.begin(&waker);
    EXPECT_FALSE(record.peek().changed);
    EXPECT_EQ(record.peek().state, 0u);

    record.stopListening();
    EXPECT_FALSE(record.isActive());
    record.record(RASCS_Connected, 0);
    EXPECT_FALSE(record.peek().changed);

    // The service's notifier, on its own thread, writes the process-wide record.
    DialNotification& shared = DialNotification::instance();
    shared.begin(&waker);
    std::thread([] { DialNotifier(0xCCCD, RASCS_Authenticate, 0); }).join();
    taken = shared.take();
    shared.end();
    EXPECT_TRUE(taken.changed);
    EXPECT_EQ(taken.state, RASCS_Authenticate);
    const int wakesBefore = waker.count;
    shared.record(RASCS_Connected, 0);
    EXPECT_EQ(waker.count, wakesBefore) << "no wake after the connect stopped listening";
    EXPECT_FALSE(shared.isActive());
}

// The notifier on its own thread against a taking loop, with random timing on both sides.
// Every report carries an error that is a function of its state, so a report put together
// from two different reports shows; the last report of each round must always arrive, and
// the wait for it must always be woken.
TEST(DialNotificationTest, NoReportIsLostOrTornUnderRandomTiming)
{
    DialNotification record;
    StickyWaker waker;
    std::mt19937 random(20261206);
    int torn = 0, lostFinals = 0, lostWakes = 0, outOfOrder = 0;

    for (int round = 0; round < kStressRounds; ++round) {
        const int reports = 1 + static_cast<int>(random() % 6);
        const unsigned notifierSeed = random();
        const int loopSpin = static_cast<int>(random() % 200);
        record.begin(&waker);

        std::thread notifier([&record, reports, notifierSeed] {
            std::mt19937 pace(notifierSeed);
            for (int i = 1; i <= reports; ++i) {
                const int pause = static_cast<int>(pace() % 300);
                for (volatile int spin = 0; spin < pause; ++spin) {
                }
                if (pace() % 4 == 0)
                    std::this_thread::yield();
                record.record(static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(i * 7 + 1));
            }
        });

        std::uint32_t last = 0;
        for (;;) {
            const DialReport report = record.take();
            if (report.changed) {
                if (report.error != report.state * 7 + 1)
                    ++torn;
                if (report.state < last)
                    ++outOfOrder;
                last = report.state;
                if (report.state == static_cast<std::uint32_t>(reports))
                    break;
            }
            for (volatile int spin = 0; spin < loopSpin; ++spin) {
            }
            // The loop's sleep between passes: only a report may end it.
            if (!report.changed && !waker.waitForWake()) {
                ++lostWakes;
                break;
            }
        }
        notifier.join();
        if (last != static_cast<std::uint32_t>(reports))
            ++lostFinals;
        record.end();
        // Nothing of this round may linger into the next.
        waker.wake();
        waker.waitForWake();
        if (torn || lostFinals || lostWakes || outOfOrder)
            break;
    }
    EXPECT_EQ(torn + lostFinals + lostWakes + outOfOrder, 0)
        << "torn " << torn << ", lost finals " << lostFinals << ", lost wakes " << lostWakes << ", out of order "
        << outOfOrder;
}

} // namespace
} // namespace telmaq
