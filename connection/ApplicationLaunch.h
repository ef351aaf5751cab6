#pragma once

#include "connection/DialWindow.h"
#include "dialup/DialupLists.h"
#include "platform/process/ProcessLauncher.h"
#include "platform/system/Clock.h"

namespace telmaq {

// Starts the user's application once a connect has ended Connected: only with the option
// set, a command line given and no launched application still known. Its handle goes to
// m_hProcess for the tick to watch. When it cannot be started and the connection is meant to
// end with the application, every connection is hung up after a second.
void launchApplicationAfterConnect(IDialWindow& window, DialupLists& lists, IProcessLauncher& launcher, IClock& clock);

} // namespace telmaq
