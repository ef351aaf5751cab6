#pragma once

#include "platform/history/History.h"
#include "platform/process/ProcessLauncher.h"

namespace telmaq {

class ITickWindow;

// Looks, without waiting, whether the application launched after connecting has ended. An
// ended one (or one that can no longer be waited for) is forgotten at once; the line is hung
// up when both application options are set at this moment and nothing is busy. An end seen
// while something is busy is used up all the same: no later tick hangs up on its account.
// The end goes into the history either way.
void watchLaunchedApplication(ITickWindow& window, IProcessLauncher& launcher, IHistory& history);

} // namespace telmaq
