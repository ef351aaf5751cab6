#include "scheduler/Tick.h"

#include "scheduler/ApplicationWatch.h"
#include "scheduler/RedialWatch.h"
#include "scheduler/Schedule.h"
#include "scheduler/TickWindow.h"

namespace telmaq {

Tick::Tick(ITickWindow& window, SystemDialupSettings& settings, IProcessLauncher& launcher, IClock& clock,
           IHistory& history)
    : m_window(window), m_settings(settings), m_launcher(launcher), m_clock(clock), m_history(history)
{}

void Tick::OnTimer()
{
    runScheduledConnectAndDisconnect(m_window, m_clock);
    watchLaunchedApplication(m_window, m_launcher, m_history);
    m_defaultEntry.check(m_window, m_settings);
    watchRedialSettings(m_window, m_settings);
}

} // namespace telmaq
