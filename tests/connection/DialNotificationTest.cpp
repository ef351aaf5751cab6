#include "connection/DialNotification.h"
#include "fakes/FakeDialWindow.h"
#include "platform/dialup/DialupService.h"

#include <gtest/gtest.h>

#include <random>
#include <thread>

namespace telmaq {
namespace {

#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
constexpr int kStressRounds = 1500;
#else
constexpr int kStressRounds = 20000;
#endif

// The fake window's sticky wake, with a wait of at most capMs that tells whether it was woken.
struct Waker : test::FakeDialWindow
{
    explicit Waker(int capMs) : FakeDialWindow(&clock) { realWaitCapMs = capMs; }
    bool woken()
    {
        const std::int64_t before = clock.nowMs();
        waitAndPump(60'000);
        return clock.nowMs() == before;
    }
    test::FakeClock clock;
};

std::string seen(const DialReport& report)
{
    return std::to_string(report.changed) + " " + std::to_string(report.state) + " " + std::to_string(report.error);
}

TEST(DialNotificationTest, RecordsOnlyWhileListeningAndTakesEachReportOnce)
{
    DialNotification record;
    Waker waker(0);
    record.record(RASCS_Connected, 0);
    EXPECT_EQ(seen(record.peek()), "0 0 0") << "nothing is recorded before a connect listens";
    record.begin(&waker);
    record.record(RASCS_OpenPort, 0);
    record.record(RASCS_ConnectDevice, ERROR_LINE_BUSY);
    EXPECT_TRUE(waker.woken());
    EXPECT_EQ(seen(record.take()), "1 2 676") << "the latest report, with its own error";
    EXPECT_EQ(seen(record.take()), "0 2 676") << "a report is taken once";
    record.record(RASCS_PortOpened, 0);
    record.drop();
    EXPECT_FALSE(record.take().changed);
    // A new connect starts from a cleared state, so only its own Connected counts.
    record.record(RASCS_Connected, 0);
    record.begin(&waker);
    EXPECT_EQ(seen(record.peek()), "0 0 0");
    record.stopListening();
    record.record(RASCS_Connected, 0);
    EXPECT_EQ(seen(record.peek()), "0 0 0");
    EXPECT_FALSE(record.isActive());

    // The service's notifier, on its own thread, writes the process-wide record.
    DialNotification& shared = DialNotification::instance();
    shared.begin(&waker);
    EXPECT_TRUE(shared.isActive());
    std::thread([] { DialNotifier(0xCCCD, RASCS_Authenticate, 0); }).join();
    EXPECT_EQ(seen(shared.take()), "1 5 0");
    shared.end();
    EXPECT_TRUE(waker.woken());
    shared.record(RASCS_Connected, 0);
    EXPECT_FALSE(waker.woken()) << "no wake after the connect stopped listening";
}

// The notifier against a taking loop, both at random pace. Each report's error is a function
// of its state, so a report torn from two shows; the last of each round must arrive and its
// wait be woken.
TEST(DialNotificationTest, NoReportIsLostOrTornUnderRandomTiming)
{
    DialNotification record;
    Waker waker(60'000);
    std::mt19937 random(20261206);
    int faults = 0;
    for (int round = 0; round < kStressRounds && faults == 0; ++round) {
        const auto reports = static_cast<std::uint32_t>(1 + random() % 6);
        const unsigned notifierSeed = random();
        const int loopSpin = static_cast<int>(random() % 200);
        record.begin(&waker);
        std::thread notifier([&record, reports, notifierSeed] {
            std::mt19937 pace(notifierSeed);
            for (std::uint32_t i = 1; i <= reports; ++i) {
                for (volatile int spin = static_cast<int>(pace() % 300); spin > 0; --spin) {
                }
                if (pace() % 4 == 0)
                    std::this_thread::yield();
                record.record(i, i * 7 + 1);
            }
        });
        std::uint32_t last = 0;
        while (last != reports) {
            const DialReport report = record.take();
            if (report.changed) {
                faults += report.error != report.state * 7 + 1 || report.state < last;
                last = report.state;
                continue;
            }
            for (volatile int spin = loopSpin; spin > 0; --spin) {
            }
            // The loop's sleep between passes: only a report may end it.
            if (!waker.woken() && ++faults)
                break;
        }
        notifier.join();
        record.end();
        waker.wake(); // nothing of this round may linger into the next
        waker.woken();
    }
    EXPECT_EQ(faults, 0) << "a report torn, out of order or lost, or a wake lost";
}

} // namespace
} // namespace telmaq
