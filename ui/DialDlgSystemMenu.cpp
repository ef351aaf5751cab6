#include "ui/DialDlg.h"

#include "dialup/SystemDialupSettings.h"
#include "ui/CAboutDlg.h"
#include "ui/SortedComboBox.h"
#include "ui/SystemMenu.h"

#include <QContextMenuEvent>
#include <QShortcut>
#include <QSystemTrayIcon>
#include <QWindow>

#include <algorithm>

namespace telmaq {

namespace {

// String resource 101: the About item of the system menu.
const char kAboutMenuText[] = "ﾊﾞｰｼﾞｮﾝ情報 (&A)...";

} // namespace

void CDialDlg::buildSystemMenu(int selected)
{
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(m_cbEntry->count()));
    for (int i = 0; i < m_cbEntry->count(); ++i)
        names.push_back(m_cbEntry->itemText(i).toStdString());
    m_systemMenu->build(names, selected, kAboutMenuText);

    // Qt has no system menu on every desktop; it is offered where a user looks for it. A window
    // manager keeps Alt+Space for its own menu; the keys of a context menu are left to us.
    for (const char* keys : {"Alt+Space", "Shift+F10", "Menu"}) {
        auto* shortcut = new QShortcut(QKeySequence(QString::fromLatin1(keys)), this);
        connect(shortcut, &QShortcut::activated, this, [this] { showSystemMenu(mapToGlobal(QPoint(0, 0))); });
    }
}

void CDialDlg::showSystemMenu(const QPoint& globalPos)
{
    m_systemMenu->popup(globalPos);
}

void CDialDlg::contextMenuEvent(QContextMenuEvent* event)
{
    showSystemMenu(event->globalPos());
    event->accept();
}

void CDialDlg::createTrayIcon()
{
    // A minimised window has no other way to the menu where the desktop shows no task bar.
    if (m_tray || !QSystemTrayIcon::isSystemTrayAvailable())
        return;
    m_tray = new QSystemTrayIcon(m_hIcon, this);
    m_tray->setToolTip(windowTitle());
    m_tray->setContextMenu(m_systemMenu->menu());
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger && isMinimized())
            OnSysCommand(SC_RESTORE);
    });
    m_tray->show();
}

void CDialDlg::OnSysCommand(unsigned id)
{
    const unsigned command = id & 0xFFF0u;
    // The sub-menu lists no more entries than have ids below the window commands, so only
    // those count as entry commands.
    const auto listed = static_cast<unsigned>(std::min(m_cbEntry->count(), CSystemMenu::kMaxEntryItems));

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
        showNormal();
        raise();
        activateWindow();
    } else if (command == SC_MOVE) {
        if (QWindow* window = windowHandle())
            window->startSystemMove();
    } else if (command == SC_CLOSE) {
        close();
    }
    // Size and Maximise are grayed: the window has a fixed size.
}

void CDialDlg::OnAbout()
{
    m_bAboutOpen = true;
    CAboutDlg about(m_ports.messageBoxes, this);
    about.DoModal();
    m_bAboutOpen = false;
}

void CDialDlg::selectEntryFromMenu(int index)
{
    m_systemMenu->checkEntry(m_cbEntry->currentIndex(), false);
    m_cbEntry->setCurrentIndex(index);
    m_strEntry = m_cbEntry->itemText(index).toStdString();
    m_systemMenu->checkEntry(index, true);
    m_ports.dialupSettings.WriteInternetProfile(m_strEntry);
}

} // namespace telmaq
