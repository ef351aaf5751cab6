// The connect loop against the line simulator with the real Qt event loop: a dial that finds
// the line busy, a 10-second redial wait, then a dial of 10 seconds that connects. Prints the
// CPU used, the wall time and the worst delay from a report to its text on the screen, for the
// loop as built and, in the same run, for a loop that spins between passes.

#include "bench/BenchWindow.h"
#include "bench/ReportTiming.h"
#include "bench/SimulatedLine.h"
#include "connection/ConnectionControl.h"
#include "dialup/DialupLists.h"
#include "dialup/RasErrorText.h"
#include "platform/process/PosixProcessLauncher.h"
#include "platform/system/SystemClock.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <sys/resource.h> // RUSAGE_*

using namespace telmaq;
using namespace telmaq::bench;

namespace {

// Opens and closes one connecting dialog first, so that loading the fonts and the platform's
// first paint, which any loop pays once, stay out of the figures of the loop itself.
void warmUp(SimulatedLine& line)
{
    ReportTiming timing(line.service());
    BenchWindow window(false, timing);
    IConnectingView* dialog = window.createConnectingDialog();
    dialog->setCaption("telmaq - bench に接続中");
    dialog->setStatusText("ダイヤル中 . . .");
    window.pumpPendingMessages();
    dialog->destroy();
    window.pumpPendingMessages();
}

LoopFigures runOnce(bool spinning, SimulatedLine& line)
{
    line.prepare();
    ReportTiming timing(line.service());
    DialupLists lists(timing);
    RasErrorText errorText(timing);
    PosixProcessLauncher launcher;
    NullHistory history;
    SystemClock clock;
    BenchWindow window(spinning, timing);
    DialDlgState& state = window.state();
    state.m_strEntry = SimulatedLine::kEntry;
    state.m_bInteractive = true;
    state.m_bConnecting = true;
    state.m_bRedial = true;
    state.m_nRedialTry = 1;
    state.m_nRedialWait = SimulatedLine::kRedialWaitSeconds;
    ConnectionControl control(window, {timing, lists, errorText, launcher, clock, history});

    const double cpuBefore = cpuSeconds(RUSAGE_SELF);
    const double uiBefore = cpuSeconds(RUSAGE_THREAD);
    const BenchClock::time_point wallBefore = BenchClock::now();
    control.Connect();
    LoopFigures figures = window.figures();
    figures.wallSeconds = std::chrono::duration<double>(BenchClock::now() - wallBefore).count();
    const double cpuAfter = cpuSeconds(RUSAGE_SELF);
    figures.cpuSeconds = cpuAfter - cpuBefore;
    figures.loopCpuSeconds = cpuAfter - window.cpuAtPlacement();
    figures.uiCpuSeconds = cpuSeconds(RUSAGE_THREAD) - uiBefore;
    for (const std::string& message : window.messages())
        std::printf("  message: %s\n", message.c_str());

    state.m_bInteractive = false;
    control.Disconnect();
    return figures;
}

void print(const char* name, const LoopFigures& f)
{
    std::printf("%-9s cpu %7.3f s (ui thread %7.3f s, loop alone %7.3f s)  wall %6.2f s  cpu/wall %6.3f %%  "
                "report-to-screen worst %6.2f ms  countdown gap worst %6.1f ms  passes %d  texts %d\n",
                name, f.cpuSeconds, f.uiCpuSeconds, f.loopCpuSeconds, f.wallSeconds,
                100.0 * f.cpuSeconds / f.wallSeconds, f.worstReportToScreenMs, f.worstCountdownGapMs, f.passes,
                f.statusTexts);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    // The simulator's phonebook lives in a folder of its own, never in the user's.
    SimulatedLine line;
    std::printf("line: busy once, redial after %d s, then a dial of %d s that connects\n",
                SimulatedLine::kRedialWaitSeconds, SimulatedLine::kDialSeconds);

    warmUp(line);
    const LoopFigures waiting = runOnce(false, line);
    print("waiting", waiting);
    const LoopFigures spinning = runOnce(true, line);
    print("spinning", spinning);

    // Compared on the loops alone: building the dialog costs both the same. On a busy machine
    // the spinning loop gets less than a core, which shrinks its figure and the ratio.
    const double ratio = waiting.loopCpuSeconds > 0 ? spinning.loopCpuSeconds / waiting.loopCpuSeconds : 0;
    std::printf("targets: cpu under 1 %% of a core: %s; report to screen under 20 ms: %s; "
                "at least 100 times less cpu than spinning: %s (%.0fx)\n",
                100.0 * waiting.cpuSeconds / waiting.wallSeconds < 1.0 ? "met" : "MISSED",
                waiting.worstReportToScreenMs < 20.0 ? "met" : "MISSED", ratio >= 100 ? "met" : "MISSED", ratio);
    return 0;
}
