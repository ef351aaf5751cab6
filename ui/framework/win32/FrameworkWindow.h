#pragma once

#include <functional>

#include "ui/framework/win32/WinApi.h"

namespace telmaq::win32 {

// Runs call from the event loop, once the current handler has returned: a hidden window of
// the framework's own takes the calls in the order they came, in every loop that dispatches
// (modal dialogs and message boxes too).
void postToFramework(std::function<void()> call);

// The program's icon (resource 1), or the system's application icon without one.
HICON programIcon();

} // namespace telmaq::win32
