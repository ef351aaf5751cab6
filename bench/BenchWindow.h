#pragma once

#include "bench/ReportTiming.h"
#include "connection/DialWindow.h"
#include "ui/dialogs/CConnectingDlg.h"
#include "ui/framework/Dialog.h"
#include "ui/framework/EventPump.h"
#include "ui/framework/qt/QtMessageBox.h"

#include <string>
#include <vector>

namespace telmaq::bench {

// CPU seconds used so far by the process (RUSAGE_SELF) or the calling thread (RUSAGE_THREAD).
double cpuSeconds(int who);

// What one connect cost and how quickly it showed its reports.
struct LoopFigures
{
    double cpuSeconds = 0;   // the whole process, the service's threads included
    double uiCpuSeconds = 0; // the user-interface thread alone
    // From the connecting dialog placed on the screen to the end: the loop alone, without
    // building the dialog.
    double loopCpuSeconds = 0;
    double wallSeconds = 0;
    double worstReportToScreenMs = 0;
    double worstCountdownGapMs = 0;
    int statusTexts = 0;
    int passes = 0;
};

// A plain main window with the real event pump and the real connecting dialog, noting when
// each status text has been painted. With spinning set it pumps without ever waiting between
// passes and sleeps 100 ms in the countdown, the way the loop was first written.
class BenchWindow : public IDialWindow, public IConnectingDlgOwner, public IConnectingView
{
public:
    BenchWindow(bool spinning, ReportTiming& timing);

    DialDlgState& state() override { return m_state; }
    IConnectingView* createConnectingDialog() override;
    bool isIconic() const override { return m_window.isIconic(); }
    ScreenRect clientRectOnScreen() const override;
    int screenWidth() const override;
    int screenHeight() const override;
    void messageBox(const std::string& text, const std::string& title, unsigned style) override;
    bool pumpPendingMessages() override;
    bool waitAndPump(int maxMs) override;
    void wake() override { m_pump.wake(); }

    void stopDialing() override { m_state.m_bKeepDialing = false; }

    // The connecting dialog, seen through this window so that every text is timed.
    void setCaption(const std::string& caption) override { m_dialog->setCaption(caption); }
    void setStatusText(const std::string& text) override;
    ScreenRect windowRect() const override { return m_dialog->windowRect(); }
    void placeInFront(int x, int y) override;
    void destroy() override;

    LoopFigures& figures() { return m_figures; }
    // Process CPU seconds when the dialog was placed.
    double cpuAtPlacement() const { return m_cpuAtPlacement; }
    const std::vector<std::string>& messages() const { return m_messages; }

private:
    bool m_spinning;
    ReportTiming& m_timing;
    DialDlgState m_state;
    EventPump m_pump;
    QtMessageBox m_boxes;
    Dialog m_window;
    CConnectingDlg* m_dialog = nullptr;
    LoopFigures m_figures;
    std::vector<std::string> m_messages;
    BenchClock::time_point m_lastCountdown{};
    double m_cpuAtPlacement = 0;
};

} // namespace telmaq::bench
