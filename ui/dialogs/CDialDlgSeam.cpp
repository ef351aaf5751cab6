#include "ui/dialogs/CDialDlg.h"

#include "ui/dialogs/CConnectingDlg.h"
#include "ui/framework/CSystemMenu.h"
#include "ui/framework/EventPump.h"
#include "ui/framework/MessageBox.h"
#include "ui/framework/SortedComboBox.h"

namespace telmaq {

IConnectingView* CDialDlg::createConnectingDialog()
{
    return CConnectingDlg::create(*this, m_ports.messageBoxes, this);
}

bool CDialDlg::isIconic() const
{
    return Dialog::isIconic();
}

ScreenRect CDialDlg::clientRectOnScreen() const
{
    const WindowRect client = Dialog::clientRectOnScreen();
    return {client.left, client.top, client.right, client.bottom};
}

int CDialDlg::screenWidth() const
{
    return Dialog::screenWidth();
}

int CDialDlg::screenHeight() const
{
    return Dialog::screenHeight();
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
    return m_cbEntry->itemCount();
}

std::string CDialDlg::entryText(int index) const
{
    if (index < 0 || index >= m_cbEntry->itemCount())
        return {};
    return m_cbEntry->itemTextAt(index);
}

int CDialDlg::findEntryExact(const std::string& name) const
{
    return m_cbEntry->findStringExact(name);
}

int CDialDlg::currentEntry() const
{
    return m_cbEntry->selectedIndex();
}

void CDialDlg::selectEntry(int index)
{
    m_cbEntry->selectIndex(index);
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
