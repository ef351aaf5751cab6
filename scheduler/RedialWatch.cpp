#include "scheduler/RedialWatch.h"

#include "dialup/SystemDialupSettings.h"
#include "scheduler/RedialText.h"
#include "scheduler/TickWindow.h"

namespace telmaq {

void watchRedialSettings(ITickWindow& window, SystemDialupSettings& settings)
{
    DialDlgState& state = window.state();
    // Short-circuited on purpose: the reads stop at the first difference.
    const bool changed = settings.ReadEnableRedial() != state.m_bRedial ||
                         settings.ReadRedialWaitSeconds() != state.m_nRedialWait ||
                         settings.ReadRedialTry() != state.m_nRedialTry;
    if (!changed)
        return;

    state.m_bRedial = settings.ReadEnableRedial();
    state.m_nRedialWait = settings.ReadRedialWaitSeconds();
    state.m_nRedialTry = settings.ReadRedialTry();
    state.m_strRedialText = FormatRedialText(state.m_bRedial, state.m_nRedialWait, state.m_nRedialTry);
    window.UpdateData(false);
}

} // namespace telmaq
