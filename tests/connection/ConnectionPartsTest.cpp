#include "connection/DialNotification.h"
#include "connection/DialStatusText.h"
#include "connection/DialogPlacement.h"
#include "fakes/FakeDialWindow.h"
#include "platform/dialup/DialupService.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>

namespace telmaq {
namespace {

TEST(DialStatusText, EachStateHasItsTextAndOnlyTheEndStatesEndTheWait)
{
    // "ﾕｰｻﾞｰ名とﾊﾟｽﾜｰﾄﾞ" in half-width katakana, spelled out so that no editor widens them.
    const std::string user = "\xEF\xBE\x95\xEF\xBD\xB0\xEF\xBD\xBB\xEF\xBE\x9E\xEF\xBD\xB0名と"
                             "\xEF\xBE\x8A\xEF\xBE\x9F\xEF\xBD\xBD\xEF\xBE\x9C\xEF\xBD\xB0\xEF\xBE\x84\xEF\xBE\x9E";
    // Runs of consecutive states from the first one, with the unknown states around them.
    const std::map<std::uint32_t, std::string> runs = {
        {0, "通信ポートをオープン中 . . .|通信ポートをオープンしました|ダイヤル中 . . .|"
            "接続しました|全接続が完了しました|" +
                user + "を確認中 . . .|AuthNotify|AuthRetry|AuthCallback|AuthChangePassword|AuthProject|" +
                "AuthLinkSpeed|AuthAck|ReAuthenticate|" + user + "が確認されました|PrepareForCallback|" +
                "WaitForModemReset|WaitForCallback|Projected|StartAuthentication|CallbackComplete|" +
                "LogonNetwork|SubEntryConnected|SubEntryDisconnected|?"},
        {0x0FFF, "?|Interactive|RetryAuthentication|CallbackSetByCaller|PasswordExpired|?"},
        {0x1FFF, "?|Connected|Disconnected|?"},
        {0xFFFFFFFF, "?"}};
    for (const auto& [first, run] : runs) {
        std::istringstream texts(run);
        std::uint32_t state = first;
        for (std::string text; std::getline(texts, text, '|'); ++state) {
            EXPECT_EQ(dialStatusText(state), text == "?" ? "UnknownStatus" : text) << state;
            EXPECT_EQ(dialStatusEndsWait(state), state == 0x2000 || state == 0x2001) << state;
        }
    }
}

TEST(DialogPlacementTest, CentresOnTheClientAreaAndKeepsOnScreen)
{
    // The dialog's size, whether the main window is iconic, its client area, and where the
    // dialog goes on a screen of 1920 by 1080.
    // clang-format off
    const std::tuple<int, int, bool, ScreenRect, int, int> cases[] = {
        {200, 80, false, {100, 100, 500, 400}, 200, 210},
        // Each half truncated on its own: 150 - 50, not (300 - 101) / 2 = 99.
        {101, 81, false, {10, 20, 310, 320}, 110, 130},
        {300, 80, false, {-600, -400, -200, -100}, 0, 0},
        {300, 80, false, {1700, 900, 2100, 1100}, 1620, 960},
        // The clamp to 0 comes first, so a dialog larger than the screen ends up off its left.
        {2000, 1200, false, {0, 0, 400, 300}, -80, -120},
        {300, 80, true, {1700, 900, 2100, 1100}, 810, 500},
        {2001, 1201, true, {0, 0, 10, 10}, -40, -60},
    };
    // clang-format on
    for (const auto& [width, height, iconic, client, x, y] : cases) {
        const ScreenPoint at = connectingDialogPosition({0, 0, width, height}, iconic, client, 1920, 1080);
        EXPECT_EQ(std::make_pair(at.x, at.y), std::make_pair(x, y)) << client.left << " " << iconic;
    }
}

// Fewer rounds where threads switch far slower: under the sanitizers, and on Windows, whose
// tests run under Wine.
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__) || defined(_WIN32)
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
