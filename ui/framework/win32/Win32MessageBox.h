#pragma once

#include "ui/framework/MessageBox.h"

namespace telmaq {

// The system's message box, owned by the dialog's window (or the active one).
class Win32MessageBox : public IMessageBox
{
public:
    int messageBox(Dialog* owner, const std::string& text, const std::string& title, unsigned style) override;
};

} // namespace telmaq
