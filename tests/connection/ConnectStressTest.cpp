#include "ConnectFixture.h"

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

namespace telmaq::test {
namespace {

#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
constexpr int kConnects = 300;
#else
constexpr int kConnects = 4000;
#endif

void jitter(std::mt19937& random)
{
    switch (random() % 4) {
    case 0:
        break;
    case 1:
        std::this_thread::yield();
        break;
    case 2:
        for (volatile int spin = static_cast<int>(random() % 2000); spin > 0; --spin) {
        }
        break;
    default:
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 200));
        break;
    }
}

// The service's notifier thread against the connect loop, with reports let go at random
// moments and the loop pausing at random too. Whatever the interleaving, each connect must
// end on its final report (no final report lost, which would leave the loop waiting for
// ever), and the outcome must be the error of that very report.
using ConnectStressTest = ConnectFixture;

TEST_F(ConnectStressTest, NoFinalReportIsLostWhateverTheTiming)
{
    std::mt19937 random(77);
    std::atomic<bool> done{false};
    fake.holdReports();
    std::thread releaser([this, &done] {
        std::mt19937 pace(4242);
        while (!done.load()) {
            if (fake.pendingReports() == 0) {
                std::this_thread::yield();
                continue;
            }
            jitter(pace);
            fake.releaseReports(1);
        }
    });

    int stuck = 0;
    int wrongOutcome = 0;
    std::chrono::steady_clock::time_point deadline;
    window.onPass = [&](int) {
        jitter(random);
        // Only a lost report keeps a connect going this long; cancel it and count it.
        if (std::chrono::steady_clock::now() > deadline && window.dlg.m_bKeepDialing) {
            ++stuck;
            window.lastView()->clickCancel();
        }
    };

    const std::uint32_t errors[] = {ERROR_NO_ANSWER, ERROR_AUTHENTICATION_FAILURE, ERROR_REMOTE_DISCONNECTION};
    for (int i = 0; i < kConnects && stuck == 0 && wrongOutcome == 0; ++i) {
        FakeDialupService::Script script;
        const int progress = static_cast<int>(random() % 6);
        for (int p = 0; p < progress; ++p)
            script.push_back({static_cast<std::uint32_t>(random() % 6), 0});
        const bool connects = random() % 3 != 0;
        const std::uint32_t error = errors[random() % 3];
        script.push_back(connects ? FakeDialupService::Report{RASCS_Connected, 0}
                                  : FakeDialupService::Report{RASCS_ConnectDevice, error});
        fake.scriptDial(script);
        window.realWaitCapMs = static_cast<int>(random() % 3);
        window.boxes.clear();
        window.dlg.m_bKeepDialing = false;
        deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);

        connect();

        const std::vector<std::string> expected =
            connects ? std::vector<std::string>{} : std::vector<std::string>{textFor(error)};
        if (boxTexts() != expected || (connects && window.lastView()->statusTexts.back() != "Connected"))
            ++wrongOutcome;
        fake.clearConnections();
    }
    done = true;
    releaser.join();
    EXPECT_EQ(stuck, 0);
    EXPECT_EQ(wrongOutcome, 0);
    expectDialogsClosedCleanly();
}

} // namespace
} // namespace telmaq::test
