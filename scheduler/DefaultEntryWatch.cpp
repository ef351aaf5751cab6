#include "scheduler/DefaultEntryWatch.h"

#include "connection/BusyScope.h"
#include "dialup/SystemDialupSettings.h"
#include "scheduler/TickWindow.h"

namespace telmaq {

const char* const kRestartNoticeText = "設定が変更されました。telmaq を再起動してください";
const char* const kWarningTitle = "telmaq - 警告";

void DefaultEntryWatch::check(ITickWindow& window, SystemDialupSettings& settings)
{
    // Copied at once: the reader's buffer is overwritten by the next read, and ticks handled
    // while the notice is open read it again.
    const char* stored = settings.ReadInternetProfile();
    const std::string profile = stored ? stored : "";

    DialDlgState& state = window.state();
    if (profile == state.m_strEntry) {
        m_noticedName.reset();
        return;
    }

    const int found = window.findEntryExact(profile);
    if (found < 0) {
        if (!m_noticeOpen && m_noticedName != profile)
            showRestartNotice(window, profile);
        return;
    }

    m_noticedName.reset();
    state.m_strEntry = window.entryText(found);
    window.selectEntry(found);
    const int selected = window.currentEntry();
    const int count = window.entryCount();
    for (int position = 0; position < count; ++position)
        window.checkEntryMenuItem(position, position == selected);
}

void DefaultEntryWatch::showRestartNotice(ITickWindow& window, const std::string& name)
{
    m_noticedName = name;
    const BusyScope open(m_noticeOpen);
    window.messageBox(kRestartNoticeText, kWarningTitle, MB_OK | MB_ICONINFORMATION);
}

} // namespace telmaq
