#pragma once

#include "scheduler/DefaultEntryWatch.h"

namespace telmaq {

class IClock;
class IHistory;
class IProcessLauncher;
class ITickWindow;
class SystemDialupSettings;

// The main window's once-a-second tick. The window's timer calls OnTimer; everything it does
// is to the window's members through ITickWindow, always in this order: the scheduled connect
// and disconnect, the launched-application watch, the default-entry watch and the
// redial-settings watch. Ticks may arrive while an earlier one is still inside Connect or the
// restart notice; the busy flags keep them apart.
class Tick
{
public:
    Tick(ITickWindow& window, SystemDialupSettings& settings, IProcessLauncher& launcher, IClock& clock,
         IHistory& history);

    void OnTimer();

    // The restart notice is open (a tick is waiting inside it).
    bool restartNoticeOpen() const { return m_defaultEntry.noticeOpen(); }

private:
    ITickWindow& m_window;
    SystemDialupSettings& m_settings;
    IProcessLauncher& m_launcher;
    IClock& m_clock;
    IHistory& m_history;
    DefaultEntryWatch m_defaultEntry;
};

} // namespace telmaq
