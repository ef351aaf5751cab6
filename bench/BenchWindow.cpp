#include "bench/BenchWindow.h"

#include "connection/ConnectProcedure.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <sys/resource.h>
#include <thread>

namespace telmaq::bench {

namespace {

double msBetween(BenchClock::time_point from, BenchClock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

} // namespace

double cpuSeconds(int who)
{
    rusage usage{};
    ::getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

BenchWindow::BenchWindow(bool spinning, ReportTiming& timing) : m_spinning(spinning), m_timing(timing)
{
    resize(320, 240);
    show();
}

IConnectingView* BenchWindow::createConnectingDialog()
{
    m_dialog = CConnectingDlg::create(*this, m_boxes, this);
    return this;
}

ScreenRect BenchWindow::clientRectOnScreen() const
{
    const QPoint topLeft = mapToGlobal(QPoint(0, 0));
    return ScreenRect{topLeft.x(), topLeft.y(), topLeft.x() + width(), topLeft.y() + height()};
}

int BenchWindow::screenWidth() const
{
    return QGuiApplication::primaryScreen()->geometry().width();
}

int BenchWindow::screenHeight() const
{
    return QGuiApplication::primaryScreen()->geometry().height();
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
