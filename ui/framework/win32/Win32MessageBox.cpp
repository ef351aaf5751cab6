#include "ui/framework/win32/Win32MessageBox.h"

#include "ui/framework/Dialog.h"
#include "ui/framework/win32/DialogWindow.h"

namespace telmaq {

int Win32MessageBox::messageBox(Dialog* owner, const std::string& text, const std::string& title, unsigned style)
{
    HWND window = owner && owner->isWindowAlive() ? owner->window().handle() : GetActiveWindow();
    // UTF-8 as it stands: the manifest makes it the active code page of the A calls.
    return MessageBoxA(window, text.c_str(), title.c_str(), style | MB_OK);
}

} // namespace telmaq
