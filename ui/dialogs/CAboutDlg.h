#pragma once

#include "ui/framework/Dialog.h"

namespace telmaq {

// The program's name, version and ownership notice; OK or Esc close it.
class CAboutDlg : public Dialog
{
public:
    explicit CAboutDlg(IMessageBox& messageBoxes, Dialog* owner = nullptr);
};

} // namespace telmaq
