#pragma once

// <windows.h> for the framework's Win32 side, included after every header of ours: the
// framework's own names (Dialog::GetWindowText, the style constants) are also macros there.
#include <windows.h>

#include <commctrl.h>

#include <string>

#undef GetWindowText
#undef SetWindowText
#undef GetDlgItemText
#undef SetDlgItemText

namespace telmaq::win32 {

// UTF-8 text of ours as the system's UTF-16.
std::wstring wide(const std::string& text);
// A window's whole text as UTF-8.
std::string windowTextUtf8(HWND window);

// Hands a message to the dialog it belongs to first (Tab, Enter, Esc, Alt+letter), then
// to its window. Every loop of the program dispatches through here.
void dispatchMessage(MSG& message);

} // namespace telmaq::win32
