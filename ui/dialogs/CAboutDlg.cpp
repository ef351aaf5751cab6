#include "ui/dialogs/CAboutDlg.h"

#include "ui/dialogs/DialogTemplates.h"

namespace telmaq {

CAboutDlg::CAboutDlg(IMessageBox& messageBoxes, Dialog* owner) : Dialog(aboutDialogTemplate(), messageBoxes, owner) {}

} // namespace telmaq
