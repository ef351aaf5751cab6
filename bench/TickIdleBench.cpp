// How much the once-a-second tick costs while the program sits idle, and how well its timer
// keeps to the second: the real timer, clock, hive and process launcher drive the real tick
// over a window without widgets for the given number of seconds (600 unless told).
//
//   telmaq_tick_bench [SECONDS] [--pid PID]
//
// --pid also samples the CPU time of another process (a running telmaq, say) over the same
// span. The hive lives in a temporary folder; the user's files are never touched.

#include "dialup/SystemDialupSettings.h"
#include "platform/process/PosixProcessLauncher.h"
#include "platform/registry/SqliteHive.h"
#include "platform/system/SystemClock.h"
#include "scheduler/Tick.h"
#include "scheduler/TickWindow.h"
#include "ui/framework/SecondTimer.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace {

using namespace telmaq;

// The main window with its entry list and nothing else: the tick's reads are real, its
// writes to the window are plain stores.
class IdleWindow : public ITickWindow
{
public:
    DialDlgState& state() override { return m_state; }
    IConnectingView* createConnectingDialog() override { return nullptr; }
    bool isIconic() const override { return false; }
    ScreenRect clientRectOnScreen() const override { return {}; }
    int screenWidth() const override { return 1280; }
    int screenHeight() const override { return 1024; }
    void messageBox(const std::string&, const std::string&, unsigned) override { ++boxes; }
    bool pumpPendingMessages() override { return true; }
    bool waitAndPump(int) override { return true; }
    void wake() override {}

    int entryCount() const override { return static_cast<int>(entries.size()); }
    std::string entryText(int index) const override { return entries.at(static_cast<std::size_t>(index)); }
    int findEntryExact(const std::string& name) const override
    {
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (strcasecmp(entries[i].c_str(), name.c_str()) == 0)
                return static_cast<int>(i);
        }
        return -1;
    }
    int currentEntry() const override { return selected; }
    void selectEntry(int index) override { selected = index; }
    void checkEntryMenuItem(int, bool) override {}
    bool UpdateData(bool) override { return true; }
    void Connect() override { ++connects; }
    void Disconnect() override { ++disconnects; }

    std::vector<std::string> entries{"Alpha", "Beta", "Gamma"};
    int selected = 0;
    int boxes = 0, connects = 0, disconnects = 0;

private:
    DialDlgState m_state;
};

double cpuSecondsOfSelf()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// CPU seconds of another process from /proc, or a negative number when it cannot be read.
double cpuSecondsOf(long pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(in, line))
        return -1;
    // The command name may hold blanks; the fields after it are counted from its closing ')'.
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream fields(line.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int index = 3; fields >> field; ++index) {
        if (index == 14)
            utime = std::strtoull(field.c_str(), nullptr, 10);
        if (index == 15) {
            stime = std::strtoull(field.c_str(), nullptr, 10);
            break;
        }
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

void putNumber(IRegistry& hive, HKEY key, const char* name, std::uint32_t value)
{
    hive.setValue(key, name, REG_DWORD, reinterpret_cast<const std::uint8_t*>(&value), 4);
}

} // namespace

int main(int argc, char** argv)
{
    int seconds = 600;
    long pid = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--pid") == 0 && i + 1 < argc) {
            pid = std::strtol(argv[++i], nullptr, 10);
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("usage: %s [SECONDS] [--pid PID]\n", argv[0]);
            return 0;
        } else {
            seconds = std::atoi(argv[i]);
            if (seconds < 3) {
                std::fprintf(stderr, "%s: the run must last at least 3 seconds\n", argv[0]);
                return 2;
            }
        }
    }

    QCoreApplication app(argc, argv);

    std::string folder = (std::filesystem::temp_directory_path() / "telmaq-tick-bench-XXXXXX").string();
    if (!mkdtemp(folder.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    int status = 0;
    {
        SqliteHive hive(folder + "/hive.db");
        HKEY key = 0;
        if (hive.createKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
            std::fprintf(stderr, "cannot make the hive in %s\n", folder.c_str());
            return 1;
        }
        const char profile[] = "Alpha";
        hive.setValue(key, "InternetProfile", REG_SZ, reinterpret_cast<const std::uint8_t*>(profile), sizeof profile);
        putNumber(hive, key, "EnableRedial", 1);
        putNumber(hive, key, "RedialWait", 2u << 16 | 30u);
        putNumber(hive, key, "RedialTry", 10);
        hive.closeKey(key);

        SystemDialupSettings settings(hive);
        SystemClock clock;
        PosixProcessLauncher launcher;
        NullHistory history;
        IdleWindow window;
        DialDlgState& state = window.state();
        state.m_strEntry = "Alpha";
        state.m_bRedial = true;
        state.m_nRedialWait = 150;
        state.m_nRedialTry = 10;
        // Automatic connection on at a time that never comes, so step 1 reads the clock
        // every second as it does for a user who has it switched on.
        state.m_bAutoConnection = state.m_bAutoDisconnection = true;
        state.m_bCheckMon = state.m_bCheckTue = state.m_bCheckWed = state.m_bCheckThu = true;
        state.m_nConnectHour = state.m_nDisconnectHour = 24;
        Tick tick(window, settings, launcher, clock, history);

        std::set<std::int64_t> tickSeconds;
        SecondTimer timer(clock, [&] {
            tickSeconds.insert(clock.now());
            tick.OnTimer();
        });

        const std::int64_t startMs = clock.nowMs();
        const double cpuStart = cpuSecondsOfSelf();
        const double otherStart = pid > 0 ? cpuSecondsOf(pid) : -1;
        timer.start();
        QTimer::singleShot(seconds * 1000, &app, [&] { app.quit(); });
        app.exec();
        timer.stop();
        const double cpu = cpuSecondsOfSelf() - cpuStart;
        const double otherEnd = pid > 0 ? cpuSecondsOf(pid) : -1;
        const std::int64_t endMs = clock.nowMs();
        const double wall = static_cast<double>(endMs - startMs) / 1000.0;

        // Every whole second strictly inside the run should have had its tick.
        std::int64_t without = 0;
        for (std::int64_t s = startMs / 1000 + 1; s < endMs / 1000; ++s)
            without += tickSeconds.count(s) ? 0 : 1;

        std::printf("tick idle benchmark: %.1f s wall\n", wall);
        std::printf("  ticks                        %lld\n", static_cast<long long>(timer.cadence().ticksDelivered()));
        std::printf("  CPU used                     %.3f s = %.4f %% of a core (target under 0.1 %%)\n", cpu,
                    100.0 * cpu / wall);
        std::printf("  largest offset into second   %d ms (target under 100 ms)\n", timer.cadence().largestOffsetMs());
        std::printf("  seconds without a tick       %lld (target none)\n", static_cast<long long>(without));
        if (pid > 0) {
            if (otherStart < 0 || otherEnd < 0)
                std::printf("  process %ld                  could not be read\n", pid);
            else
                std::printf("  CPU used by process %ld      %.3f s = %.4f %% of a core\n", pid, otherEnd - otherStart,
                            100.0 * (otherEnd - otherStart) / wall);
        }
        if (window.boxes || window.connects || window.disconnects) {
            std::printf("  unexpected: %d notices, %d connects, %d disconnects\n", window.boxes, window.connects,
                        window.disconnects);
            status = 1;
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return status;
}
