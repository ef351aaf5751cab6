#pragma once

#include "connection/DialWindow.h"

#include <string>

namespace telmaq {

// The two message boxes of the connect and disconnect procedures, OK only, owned by the main
// window. Both show only while the running command is the user's own (m_bInteractive): a
// scheduled connect or disconnect fails silently.
void showErrorBox(IDialWindow& window, const std::string& text);
void showWarningBox(IDialWindow& window, const std::string& text);

extern const char* const kErrorBoxTitle;
extern const char* const kWarningBoxTitle;

} // namespace telmaq
