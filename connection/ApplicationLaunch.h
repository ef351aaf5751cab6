#pragma once

#include "connection/ConnectProcedure.h"
#include "connection/DialWindow.h"

#include <string>

namespace telmaq {

// Starts the user's application once a connect of entry has ended Connected: only with the
// option set, a command line given and no launched application still known. Its handle goes
// to m_hProcess for the tick to watch. When it cannot be started and the connection is meant
// to end with the application, every connection is hung up after a second.
void launchApplicationAfterConnect(IDialWindow& window, const ConnectPorts& ports, const std::string& entry);

} // namespace telmaq
