#include "ui/dialogs/CConnectingDlg.h"

#include "ui/framework/DataExchange.h"
#include "ui/dialogs/DialogTemplates.h"

#include <QCoreApplication>
#include <QPointer>

namespace telmaq {

namespace {

constexpr int IDC_STATUS = 1034;

} // namespace

CConnectingDlg* CConnectingDlg::create(IConnectingDlgOwner& owner, IMessageBox& messageBoxes, QWidget* ownerWindow)
{
    auto* dialog = new CConnectingDlg(owner, messageBoxes, ownerWindow);
    dialog->Create();
    return dialog;
}

CConnectingDlg::CConnectingDlg(IConnectingDlgOwner& owner, IMessageBox& messageBoxes, QWidget* ownerWindow)
    : Dialog(connectingDialogTemplate(), messageBoxes, ownerWindow), m_owner(owner)
{}

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
    if (QWidget* status = GetDlgItem(IDC_STATUS))
        status->repaint();
}

ScreenRect CConnectingDlg::windowRect() const
{
    const QRect frame = frameGeometry();
    return ScreenRect{frame.left(), frame.top(), frame.left() + frame.width(), frame.top() + frame.height()};
}

void CConnectingDlg::placeInFront(int x, int y)
{
    move(x, y);
    show();
    raise();
    activateWindow();
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
    // Not delete this: we may be inside our own Cancel button's click. The application object
    // does it on its next pass; the guard covers an owner that took us with it first.
    QPointer<CConnectingDlg> self(this);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [self] { delete self.data(); }, Qt::QueuedConnection);
}

} // namespace telmaq
