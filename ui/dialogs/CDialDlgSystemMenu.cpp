#include "ui/dialogs/CDialDlg.h"

#include "connection/BusyScope.h"
#include "dialup/SystemDialupSettings.h"
#include "ui/dialogs/CAboutDlg.h"
#include "ui/framework/CSystemMenu.h"
#include "ui/framework/SortedComboBox.h"

#include <algorithm>

namespace telmaq {

namespace {

// String resource 101: the About item of the system menu.
const char kAboutMenuText[] = "ﾊﾞｰｼﾞｮﾝ情報 (&A)...";

} // namespace

void CDialDlg::buildSystemMenu(int selected)
{
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(m_cbEntry->itemCount()));
    for (int i = 0; i < m_cbEntry->itemCount(); ++i)
        names.push_back(m_cbEntry->itemTextAt(i));
    m_systemMenu->build("接続先(&L)", names, IDM_ENTRY_FIRST, selected,
                        {{"接続(&E)", IDM_CONNECT}, {"切断(&F)", IDM_DISCONNECT}, {kAboutMenuText, IDM_ABOUTBOX}});

    // Not every desktop draws a system menu; it is offered where a user looks for it, and from
    // the keyboard also where a window manager keeps Alt+Space for its own menu.
    onKey(DialogKey::WindowMenu, [this] {
        const WindowRect client = Dialog::clientRectOnScreen();
        showSystemMenu(client.left, client.top);
    });
}

void CDialDlg::showSystemMenu(int x, int y)
{
    m_systemMenu->popup(x, y);
}

void CDialDlg::OnContextMenu(int x, int y)
{
    showSystemMenu(x, y);
}

void CDialDlg::createTrayIcon()
{
    m_systemMenu->showTrayIcon(GetWindowText(), [this] {
        if (Dialog::isIconic())
            OnSysCommand(SC_RESTORE);
    });
}

void CDialDlg::OnSysCommand(unsigned id)
{
    const unsigned command = id & 0xFFF0u;
    // The sub-menu lists no more entries than have ids below the window commands, so only
    // those count as entry commands.
    const auto listed =
        static_cast<unsigned>(std::min(m_cbEntry->itemCount(), CSystemMenu::maxEntryItems(IDM_ENTRY_FIRST)));

    if (command == IDM_ABOUTBOX) {
        OnAbout();
    } else if (command == IDM_CONNECT) {
        // The same command as the button, with the same guard.
        OnConnectButton(HistoryCause::SystemMenu);
    } else if (command == IDM_DISCONNECT) {
        OnDisconnectButton(HistoryCause::SystemMenu);
    } else if (command >= IDM_ENTRY_FIRST && command < (listed + 5u) * 16u) {
        selectEntryFromMenu(static_cast<int>((id >> 4) - 5u));
    } else if (command == SC_MINIMIZE) {
        showMinimized();
    } else if (command == SC_RESTORE) {
        restore();
    } else if (command == SC_MOVE) {
        startMove();
    } else if (command == SC_CLOSE) {
        close();
    }
    // Size and Maximise are grayed: the window has a fixed size.
}

void CDialDlg::OnAbout()
{
    const BusyScope open(m_bAboutOpen);
    CAboutDlg about(m_ports.messageBoxes, this);
    about.DoModal();
}

void CDialDlg::selectEntryFromMenu(int index)
{
    m_systemMenu->checkEntry(m_cbEntry->selectedIndex(), false);
    m_cbEntry->selectIndex(index);
    m_strEntry = m_cbEntry->itemTextAt(index);
    m_systemMenu->checkEntry(index, true);
    m_ports.dialupSettings.WriteInternetProfile(m_strEntry);
}

} // namespace telmaq
