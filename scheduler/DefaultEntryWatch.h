#pragma once

#include <optional>
#include <string>

namespace telmaq {

class ITickWindow;
class SystemDialupSettings;

// The restart notice of the default-entry watch.
extern const char* const kRestartNoticeText;
extern const char* const kWarningTitle;

// Follows the system's default entry when another program changes it. A name that the entry
// list holds (letter case aside) is selected, in the list's own writing, and the check marks
// of the entries sub-menu move with it; nothing is written back. A name the list does not
// hold asks the user to restart.
//
// The notice is modal and ticks keep coming while it is open, so it never stacks: a tick
// meanwhile opens no other. Once closed it comes again only when the default entry changes
// to another name the list does not hold (or back to one after having been resolved), not
// every second.
class DefaultEntryWatch
{
public:
    void check(ITickWindow& window, SystemDialupSettings& settings);

    bool noticeOpen() const { return m_noticeOpen; }

private:
    void showRestartNotice(ITickWindow& window, const std::string& name);

    bool m_noticeOpen = false;
    // The unknown name that the last notice was about; reset once the window and the
    // default entry agree again.
    std::optional<std::string> m_noticedName;
};

} // namespace telmaq
