#pragma once

#include <functional>
#include <string>

namespace telmaq {

class Dialog;

// Hands an HTML page to the desktop's opener without waiting for it, to be shown as HTML
// whatever its file name ends in (the help file keeps its ".HLP"). onFailure runs later, from
// the event loop, when the opener cannot be started or says it could not open the file; it
// never runs once owner is gone.
void openWithDesktop(Dialog& owner, const std::string& path, std::function<void()> onFailure);

// The running program's own file, as an absolute path.
std::string programFilePath();

} // namespace telmaq
