#include "bench/BenchWindow.h"

#include "connection/ConnectProcedure.h"

#include <algorithm>
#include <sys/resource.h>
#include <thread>

namespace telmaq::bench {

namespace {

double msBetween(BenchClock::time_point from, BenchClock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// A plain window of 320 by 240 pixels or so, with nothing in it.
const DialogTemplate& benchWindowTemplate()
{
    static const DialogTemplate t = [] {
        DialogTemplate bench;
        bench.caption = "telmaq bench";
        bench.width = 180;
        bench.height = 150;
        return bench;
    }();
    return t;
}

} // namespace

double cpuSeconds(int who)
{
    rusage usage{};
    ::getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

BenchWindow::BenchWindow(bool spinning, ReportTiming& timing)
    : m_spinning(spinning), m_timing(timing), m_window(benchWindowTemplate(), m_boxes)
{
    m_window.ShowWindow();
}

IConnectingView* BenchWindow::createConnectingDialog()
{
    m_dialog = CConnectingDlg::create(*this, m_boxes, &m_window);
    return this;
}

ScreenRect BenchWindow::clientRectOnScreen() const
{
    const WindowRect client = m_window.clientRectOnScreen();
    return ScreenRect{client.left, client.top, client.right, client.bottom};
}

int BenchWindow::screenWidth() const
{
    return m_window.screenWidth();
}

int BenchWindow::screenHeight() const
{
    return m_window.screenHeight();
}

void BenchWindow::messageBox(const std::string& text, const std::string&, unsigned)
{
    // A modal box would wait for a person; the figures only need to know what was said.
    m_messages.push_back(text);
}

bool BenchWindow::pumpPendingMessages()
{
    ++m_figures.passes;
    return m_pump.pumpPendingMessages();
}

bool BenchWindow::waitAndPump(int maxMs)
{
    if (!m_spinning) {
        ++m_figures.passes;
        return m_pump.waitAndPump(maxMs);
    }
    if (maxMs == ConnectProcedure::kCountdownWaitMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(maxMs));
    return pumpPendingMessages();
}

void BenchWindow::setStatusText(const std::string& text)
{
    m_dialog->setStatusText(text);
    const BenchClock::time_point shown = BenchClock::now();
    ++m_figures.statusTexts;
    if (text.rfind("ダイヤル ", 0) == 0) {
        if (m_lastCountdown != BenchClock::time_point{})
            m_figures.worstCountdownGapMs = std::max(m_figures.worstCountdownGapMs, msBetween(m_lastCountdown, shown));
        m_lastCountdown = shown;
        return;
    }
    m_lastCountdown = {};
    BenchClock::time_point reported;
    if (m_timing.reportTime(text, &reported))
        m_figures.worstReportToScreenMs = std::max(m_figures.worstReportToScreenMs, msBetween(reported, shown));
}

void BenchWindow::placeInFront(int x, int y)
{
    m_dialog->placeInFront(x, y);
    m_cpuAtPlacement = cpuSeconds(RUSAGE_SELF);
}

void BenchWindow::destroy()
{
    m_dialog->destroy();
    m_dialog = nullptr;
}

} // namespace telmaq::bench
