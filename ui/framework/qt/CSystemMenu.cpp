#include "ui/framework/CSystemMenu.h"

#include "ui/framework/Dialog.h"
#include "ui/framework/qt/CSystemMenuImpl.h"
#include "ui/framework/qt/DialogWindow.h"
#include "ui/framework/qt/ProgramIcon.h"

#include <QAction>
#include <QMenu>
#include <QStyleOptionMenuItem>
#include <QSystemTrayIcon>
#include <QWidget>

#include <algorithm>

namespace telmaq {

namespace {

// An ampersand in an entry name is part of the name, not a mnemonic.
QString menuText(const std::string& name)
{
    return QString::fromStdString(name).replace(QLatin1Char('&'), QLatin1String("&&"));
}

// The entries' sub-menu: the chosen entry has a check mark like every other check of the
// menu, and the others show nothing rather than an empty box. That one entry alone is checked
// is the window's own doing: it sets and clears the marks by position as its selection moves.
class EntryMenu : public QMenu
{
public:
    using QMenu::QMenu;

protected:
    void initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const override
    {
        QMenu::initStyleOption(option, action);
        if (action->isCheckable() && !action->isChecked())
            option->checkType = QStyleOptionMenuItem::NotCheckable;
    }
};

} // namespace

CSystemMenu::Impl::Impl(QWidget* window, std::function<void(unsigned id)> onCommand)
    : m_window(window), m_onCommand(std::move(onCommand)), m_menu(new QMenu(window))
{
    addCommand(m_menu, QStringLiteral("元のサイズに戻す(&R)"), SC_RESTORE);
    addCommand(m_menu, QStringLiteral("移動(&M)"), SC_MOVE);
    addCommand(m_menu, QStringLiteral("サイズ変更(&S)"), SC_SIZE);
    addCommand(m_menu, QStringLiteral("最小化(&N)"), SC_MINIMIZE);
    addCommand(m_menu, QStringLiteral("最大化(&X)"), SC_MAXIMIZE);
    m_menu->addSeparator();
    QAction* close = addCommand(m_menu, QStringLiteral("閉じる(&C)"), SC_CLOSE);
    close->setShortcut(QKeySequence(QStringLiteral("Alt+F4")));
    close->setShortcutContext(Qt::WidgetShortcut); // shown only; the window handles Alt+F4
}

CSystemMenu::Impl::~Impl()
{
    delete m_tray.data();
    delete m_menu.data();
}

QAction* CSystemMenu::Impl::addCommand(QMenu* menu, const QString& text, unsigned id)
{
    QAction* action = menu->addAction(text);
    action->setData(id);
    connect(action, &QAction::triggered, this, [this, id] {
        if (m_onCommand)
            m_onCommand(id);
    });
    return action;
}

QAction* CSystemMenu::Impl::action(unsigned id) const
{
    const auto find = [id](const QMenu* menu) -> QAction* {
        for (QAction* a : menu->actions()) {
            if (!a->isSeparator() && !a->menu() && a->data().toUInt() == id)
                return a;
        }
        return nullptr;
    };
    if (QAction* a = find(m_menu))
        return a;
    return m_hEntryMenu ? find(m_hEntryMenu) : nullptr;
}

CSystemMenu::CSystemMenu(Dialog& window, std::function<void(unsigned id)> onCommand)
    : m_impl(std::make_unique<Impl>(qtWindow(window), std::move(onCommand)))
{
    QObject::connect(m_impl->m_menu, &QMenu::aboutToShow, m_impl.get(), [this] { OnInitMenuPopup(); });
}

CSystemMenu::~CSystemMenu() = default;

void CSystemMenu::build(const std::string& entriesTitle, const std::vector<std::string>& entries, unsigned firstId,
                        int selected, const std::vector<Item>& items)
{
    Impl& d = *m_impl;
    if (d.m_built)
        return;
    d.m_built = true;
    d.m_firstEntryId = firstId;

    d.m_menu->addSeparator();
    d.m_hEntryMenu = new EntryMenu(QString::fromStdString(entriesTitle), d.m_menu);
    const int count = std::min(static_cast<int>(entries.size()), maxEntryItems(firstId));
    for (int i = 0; i < count; ++i) {
        QAction* item = d.addCommand(d.m_hEntryMenu, menuText(entries[static_cast<std::size_t>(i)]),
                                     d.m_firstEntryId + 16u * static_cast<unsigned>(i));
        item->setCheckable(true);
        item->setChecked(i == selected);
    }
    d.m_menu->addMenu(d.m_hEntryMenu);
    for (const Item& item : items)
        d.addCommand(d.m_menu, QString::fromStdString(item.text), item.id);
}

void CSystemMenu::checkEntry(int position, bool checked)
{
    QMenu* entries = m_impl->m_hEntryMenu;
    if (!entries || position < 0 || position >= entries->actions().size())
        return;
    entries->actions().at(position)->setChecked(checked);
}

bool CSystemMenu::isEntryChecked(int position) const
{
    QMenu* entries = m_impl->m_hEntryMenu;
    if (!entries || position < 0 || position >= entries->actions().size())
        return false;
    return entries->actions().at(position)->isChecked();
}

int CSystemMenu::entryItemCount() const
{
    return m_impl->m_hEntryMenu ? static_cast<int>(m_impl->m_hEntryMenu->actions().size()) : 0;
}

void CSystemMenu::OnInitMenuPopup()
{
    const bool minimised = m_impl->m_window && m_impl->m_window->isMinimized();
    if (QAction* restore = m_impl->action(SC_RESTORE))
        restore->setEnabled(minimised);
    if (QAction* move = m_impl->action(SC_MOVE))
        move->setEnabled(!minimised);
    if (QAction* minimise = m_impl->action(SC_MINIMIZE))
        minimise->setEnabled(!minimised);
    // The window has a fixed size and no maximise box, in every state.
    if (QAction* maximise = m_impl->action(SC_MAXIMIZE))
        maximise->setEnabled(false);
    if (QAction* size = m_impl->action(SC_SIZE))
        size->setEnabled(false);
}

void CSystemMenu::popup(int x, int y)
{
    m_impl->m_menu->popup(QPoint(x, y));
}

void CSystemMenu::showTrayIcon(const std::string& toolTip, std::function<void()> onActivate)
{
    // A minimised window has no other way to the menu where the desktop shows no task bar.
    Impl& d = *m_impl;
    if (d.m_tray || !QSystemTrayIcon::isSystemTrayAvailable())
        return;
    d.m_tray = new QSystemTrayIcon(programIcon(), d.m_window);
    d.m_tray->setToolTip(QString::fromStdString(toolTip));
    d.m_tray->setContextMenu(d.m_menu.data());
    QObject::connect(d.m_tray, &QSystemTrayIcon::activated, &d,
                     [onActivate = std::move(onActivate)](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Trigger && onActivate)
                             onActivate();
                     });
    d.m_tray->show();
}

QMenu* qtMenu(const CSystemMenu& menu)
{
    return menu.impl().m_menu.data();
}

QMenu* qtEntryMenu(const CSystemMenu& menu)
{
    return menu.impl().m_hEntryMenu.data();
}

QAction* qtAction(const CSystemMenu& menu, unsigned id)
{
    return menu.impl().action(id);
}

} // namespace telmaq
