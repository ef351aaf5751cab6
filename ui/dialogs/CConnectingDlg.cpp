#include "ui/dialogs/CConnectingDlg.h"

#include "ui/dialogs/DialogTemplates.h"
#include "ui/dialogs/ResourceIds.h"
#include "ui/framework/DataExchange.h"

namespace telmaq {

CConnectingDlg* CConnectingDlg::create(IConnectingDlgOwner& owner, IMessageBox& messageBoxes, Dialog* ownerWindow)
{
    auto* dialog = new CConnectingDlg(owner, messageBoxes, ownerWindow);
    dialog->Create();
    return dialog;
}

CConnectingDlg::CConnectingDlg(IConnectingDlgOwner& owner, IMessageBox& messageBoxes, Dialog* ownerWindow)
    : Dialog(connectingDialogTemplate(), messageBoxes, ownerWindow), m_owner(owner)
{
    // Whoever takes the window down, this object goes with it.
    ownedByWindow();
}

CConnectingDlg::~CConnectingDlg() = default;

void CConnectingDlg::setCaption(const std::string& caption)
{
    SetWindowText(caption);
}

void CConnectingDlg::setStatusText(const std::string& text)
{
    m_strStatus = text;
    UpdateData(false);
    // The connect procedure does not return to the event loop while it dials; paint now.
    UpdateDlgItem(IDC_STATUS);
}

ScreenRect CConnectingDlg::windowRect() const
{
    const WindowRect frame = Dialog::windowRect();
    return ScreenRect{frame.left, frame.top, frame.right, frame.bottom};
}

void CConnectingDlg::placeInFront(int x, int y)
{
    moveTo(x, y);
    bringToFront();
}

void CConnectingDlg::destroy()
{
    DestroyWindow();
}

void CConnectingDlg::DoDataExchange(DataExchange& dx)
{
    // The status only ever flows from the member to the control.
    if (!dx.saving())
        dx.text(IDC_STATUS, m_strStatus);
}

void CConnectingDlg::OnCancel()
{
    m_owner.stopDialing();
    DestroyWindow();
}

void CConnectingDlg::OnClose()
{
    m_owner.stopDialing();
    Dialog::OnClose();
}

void CConnectingDlg::PostNcDestroy()
{
    // Not delete this: we may be inside our own Cancel button's click.
    deleteWindowLater();
}

} // namespace telmaq
