#include "ui/CAboutDlg.h"

#include "ui/DialogTemplates.h"

namespace telmaq {

CAboutDlg::CAboutDlg(IMessageBox& messageBoxes, QWidget* owner) : Dialog(aboutDialogTemplate(), messageBoxes, owner) {}

} // namespace telmaq
