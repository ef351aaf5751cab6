// Start-up time to the main window shown, with 10 and with 3,835 phonebook entries, and the
// peak memory of each. Each case runs in a child process of its own, so that its peak memory
// is its own: the whole start-up (guard, listing, default entry, settings from a real hive,
// the window built, filled and initialised) up to the moment the window is shown. The timer
// lines itself up with the next second without holding the window back, so no wait for
// the second is in these figures.
//
//   telmaq_startup_bench [RUNS]     RUNS start-ups per case (default 5)
//
// The phonebook is served from memory; listing the line simulator's phonebook is measured
// by the dial-up benchmark.

#include "app/DialApp.h"
#include "app/DialDlgMainWindowFactory.h"
#include "dialup/DialupLists.h"
#include "dialup/RasErrorText.h"
#include "dialup/SystemDialupSettings.h"
#include "fakes/FakeDialupService.h"
#include "fakes/FakeInstanceLock.h"
#include "fakes/FakeProcessLauncher.h"
#include "fakes/MessageBoxRecorder.h"
#include "platform/registry/SqliteHive.h"
#include "platform/system/SystemClock.h"
#include "support/TempEnvironment.h"
#include "ui/dialogs/CDialDlg.h"
#include "ui/framework/qt/DialogWindow.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace telmaq;

namespace {

using Clock = std::chrono::steady_clock;

// Ends the modal run as soon as the main window is shown, noting when that was.
class ShowWatcher : public QObject
{
public:
    Clock::time_point shownAt{};

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            // The main window is the only dialog start-up shows.
            if (auto* window = qobject_cast<DialogWindow*>(watched)) {
                shownAt = Clock::now();
                QTimer::singleShot(0, window, [window] { window->close(); });
            }
        }
        return false;
    }
};

double startUpOnceMs(int entries)
{
    test::TempEnvironment env;
    SqliteHive hive(env.hivePath());
    test::FakeDialupService service;
    service.addEntries(entries, "接続先 ");
    {
        HKEY key = 0;
        hive.createKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_ALL_ACCESS, &key);
        const char profile[] = "接続先 7";
        hive.setValue(key, "InternetProfile", REG_SZ, reinterpret_cast<const std::uint8_t*>(profile), sizeof profile);
        hive.closeKey(key);
    }
    DialupLists lists(service);
    RasErrorText errorText(service);
    SystemDialupSettings settings(hive);
    test::FakeInstanceLock lock;
    test::FakeProcessLauncher launcher;
    NullHistory history;
    SystemClock clock;
    test::MessageBoxRecorder boxes;
    DialDlgMainWindowFactory windows(
        DialDlgPorts{{service, lists, errorText, launcher, clock, history}, settings, boxes});

    ShowWatcher watcher;
    qApp->installEventFilter(&watcher);
    const Clock::time_point start = Clock::now();
    CDialApp app(hive, StartUpPorts{lock, lists, errorText, settings, boxes, windows, {}});
    app.StartUp();
    app.ShutDown();
    qApp->removeEventFilter(&watcher);
    if (watcher.shownAt == Clock::time_point{} || !boxes.shown.empty()) {
        std::fprintf(stderr, "the main window never showed\n");
        std::exit(1);
    }
    return std::chrono::duration<double, std::milli>(watcher.shownAt - start).count();
}

int runCase(int argc, char** argv, int entries, int runs)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qtApp(argc, argv);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(startUpOnceMs(entries));
    const double first = times.front();
    std::sort(times.begin(), times.end());
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("%6d entries: first %7.1f ms, median %7.1f ms, max %7.1f ms over %d runs; peak memory %6.1f MB"
                " (platform %s)\n",
                entries, first, times[times.size() / 2], times.back(), runs, usage.ru_maxrss / 1024.0,
                qPrintable(QGuiApplication::platformName()));
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::printf("telmaq start-up to the main window shown (targets: 300 ms with 10 entries, 600 ms with 3,835, "
                "60 MB)\n");
    std::fflush(stdout);
    int status = 0;
    for (int entries : {10, 3835}) {
        const pid_t child = ::fork();
        if (child == 0)
            std::_Exit(runCase(argc, argv, entries, runs));
        int childStatus = 0;
        if (child < 0 || ::waitpid(child, &childStatus, 0) != child || !WIFEXITED(childStatus) ||
            WEXITSTATUS(childStatus) != 0)
            status = 1;
    }
    return status;
}
