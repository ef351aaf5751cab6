#pragma once

#include "connection/DialWindow.h"
#include "dialup/DialupLists.h"
#include "dialup/RasErrorText.h"
#include "platform/history/History.h"

namespace telmaq {

// Hangs up every dial-up connection on the machine, whichever program dialled it. Neither
// pumps nor waits for the lines to drop. Messages only for the user's own command.
class DisconnectProcedure
{
public:
    DisconnectProcedure(IDialWindow& window, DialupLists& lists, RasErrorText& errorText, IHistory& history);
    void run();

private:
    IDialWindow& m_window;
    DialupLists& m_lists;
    RasErrorText& m_errorText;
    IHistory& m_history;
};

// Hangs up every connection of the lists' last listing and records each hang-up.
void hangUpEveryConnection(DialupLists& lists, IHistory& history, HistoryCause cause);

} // namespace telmaq
