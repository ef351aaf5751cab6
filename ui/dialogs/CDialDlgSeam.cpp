#include "ui/dialogs/CDialDlg.h"

#include "ui/dialogs/CConnectingDlg.h"
#include "ui/framework/EventPump.h"
#include "ui/framework/MessageBox.h"
#include "ui/framework/SortedComboBox.h"
#include "ui/framework/CSystemMenu.h"

#include <QScreen>

namespace telmaq {

IConnectingView* CDialDlg::createConnectingDialog()
{
    return CConnectingDlg::create(*this, m_ports.messageBoxes, this);
}

bool CDialDlg::isIconic() const
{
    return isMinimized();
}

ScreenRect CDialDlg::clientRectOnScreen() const
{
    const QPoint topLeft = mapToGlobal(QPoint(0, 0));
    const QPoint bottomRight = mapToGlobal(QPoint(width(), height()));
    return {topLeft.x(), topLeft.y(), bottomRight.x(), bottomRight.y()};
}

int CDialDlg::screenWidth() const
{
    const QScreen* s = screen();
    return s ? s->geometry().width() : 0;
}

int CDialDlg::screenHeight() const
{
    const QScreen* s = screen();
    return s ? s->geometry().height() : 0;
}

void CDialDlg::messageBox(const std::string& text, const std::string& title, unsigned style)
{
    m_ports.messageBoxes.messageBox(this, text, title, style);
}

bool CDialDlg::pumpPendingMessages()
{
    return m_pump->pumpPendingMessages();
}

bool CDialDlg::waitAndPump(int maxMs)
{
    return m_pump->waitAndPump(maxMs);
}

void CDialDlg::wake()
{
    m_pump->wake();
}

int CDialDlg::entryCount() const
{
    return m_cbEntry->count();
}

std::string CDialDlg::entryText(int index) const
{
    if (index < 0 || index >= m_cbEntry->count())
        return {};
    return m_cbEntry->itemText(index).toStdString();
}

int CDialDlg::findEntryExact(const std::string& name) const
{
    return m_cbEntry->findStringExact(QString::fromStdString(name));
}

int CDialDlg::currentEntry() const
{
    return m_cbEntry->currentIndex();
}

void CDialDlg::selectEntry(int index)
{
    m_cbEntry->setCurrentIndex(index);
}

void CDialDlg::checkEntryMenuItem(int position, bool checked)
{
    m_systemMenu->checkEntry(position, checked);
}

void CDialDlg::Connect()
{
    m_connection.Connect();
}

void CDialDlg::Disconnect()
{
    m_connection.Disconnect();
}

} // namespace telmaq
