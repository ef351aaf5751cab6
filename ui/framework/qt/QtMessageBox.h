#pragma once

#include "ui/framework/MessageBox.h"

namespace telmaq {

// The real thing: a Qt message box with the matching icon, owned by the dialog's window.
class QtMessageBox : public IMessageBox
{
public:
    int messageBox(Dialog* owner, const std::string& text, const std::string& title, unsigned style) override;
};

} // namespace telmaq
