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
    const unsigned how = random() % 4;
    if (how == 1)
        std::this_thread::yield();
    for (volatile int spin = how == 2 ? static_cast<int>(random() % 2000) : 0; spin > 0; --spin) {
    }
    if (how == 3)
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 200));
}

// The notifier thread against the connect loop, both pausing at random: each connect must end
// on its final report (a lost one would leave the loop waiting for ever) with that report's error.
using ConnectStressTest = ConnectFixture;

TEST_F(ConnectStressTest, NoFinalReportIsLostWhateverTheTiming)
{
    std::mt19937 random(77);
    std::atomic<bool> done{false};
    fake.holdReports();
    std::thread releaser([this, &done] {
        std::mt19937 pace(4242);
        while (!done.load())
            if (fake.pendingReports() == 0)
                std::this_thread::yield();
            else
                jitter(pace), fake.releaseReports(1);
    });
    window.onPass = [&](int) { jitter(random); };
    const std::uint32_t errors[] = {ERROR_NO_ANSWER, ERROR_AUTHENTICATION_FAILURE, ERROR_REMOTE_DISCONNECTION};
    int wrong = 0;
    for (int i = 0; i < kConnects && wrong == 0 && !HasFailure(); ++i) {
        Script script;
        for (int p = static_cast<int>(random() % 6); p > 0; --p)
            script.push_back({static_cast<RasConnState>(random() % 6), 0});
        const bool connects = random() % 3 != 0;
        const std::uint32_t error = errors[random() % 3];
        script.push_back({connects ? RASCS_Connected : RASCS_ConnectDevice, connects ? 0 : error});
        fake.scriptDial(script);
        window.realWaitCapMs = static_cast<int>(random() % 3);
        window.log.clear();
        connect();
        const std::vector<std::string> boxes = window.logged("error ");
        wrong += connects ? !boxes.empty() || window.lastStatus() != "Connected" : boxes != std::vector{textFor(error)};
        fake.clearConnections();
    }
    done = true;
    releaser.join();
    EXPECT_EQ(wrong, 0);
}

} // namespace
} // namespace telmaq::test
