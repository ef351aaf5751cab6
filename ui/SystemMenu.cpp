#include "ui/SystemMenu.h"

#include <QAction>
#include <QMenu>
#include <QStyleOptionMenuItem>
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

CSystemMenu::CSystemMenu(QWidget* window) : QObject(window), m_window(window), m_menu(new QMenu(window))
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
    connect(m_menu, &QMenu::aboutToShow, this, &CSystemMenu::OnInitMenuPopup);
}

CSystemMenu::~CSystemMenu() = default;

QAction* CSystemMenu::addCommand(QMenu* menu, const QString& text, unsigned id)
{
    QAction* action = menu->addAction(text);
    action->setData(id);
    connect(action, &QAction::triggered, this, [this, id] { emit command(id); });
    return action;
}

void CSystemMenu::build(const std::vector<std::string>& entries, int selected, const std::string& aboutText)
{
    if (m_built)
        return;
    m_built = true;

    m_menu->addSeparator();
    m_hEntryMenu = new EntryMenu(QStringLiteral("接続先(&L)"), m_menu);
    const int count = std::min(static_cast<int>(entries.size()), kMaxEntryItems);
    for (int i = 0; i < count; ++i) {
        QAction* item = addCommand(m_hEntryMenu, menuText(entries[static_cast<std::size_t>(i)]),
                                   IDM_ENTRY_FIRST + 16u * static_cast<unsigned>(i));
        item->setCheckable(true);
        item->setChecked(i == selected);
    }
    m_menu->addMenu(m_hEntryMenu);
    addCommand(m_menu, QStringLiteral("接続(&E)"), IDM_CONNECT);
    addCommand(m_menu, QStringLiteral("切断(&F)"), IDM_DISCONNECT);
    if (!aboutText.empty())
        addCommand(m_menu, QString::fromStdString(aboutText), IDM_ABOUTBOX);
}

void CSystemMenu::checkEntry(int position, bool checked)
{
    if (!m_hEntryMenu || position < 0 || position >= m_hEntryMenu->actions().size())
        return;
    m_hEntryMenu->actions().at(position)->setChecked(checked);
}

bool CSystemMenu::isEntryChecked(int position) const
{
    if (!m_hEntryMenu || position < 0 || position >= m_hEntryMenu->actions().size())
        return false;
    return m_hEntryMenu->actions().at(position)->isChecked();
}

int CSystemMenu::entryItemCount() const
{
    return m_hEntryMenu ? static_cast<int>(m_hEntryMenu->actions().size()) : 0;
}

void CSystemMenu::OnInitMenuPopup()
{
    const bool minimised = m_window && m_window->isMinimized();
    if (QAction* restore = action(SC_RESTORE))
        restore->setEnabled(minimised);
    if (QAction* move = action(SC_MOVE))
        move->setEnabled(!minimised);
    if (QAction* minimise = action(SC_MINIMIZE))
        minimise->setEnabled(!minimised);
    // The window has a fixed size and no maximise box, in every state.
    if (QAction* maximise = action(SC_MAXIMIZE))
        maximise->setEnabled(false);
    if (QAction* size = action(SC_SIZE))
        size->setEnabled(false);
}

void CSystemMenu::popup(const QPoint& globalPos)
{
    m_menu->popup(globalPos);
}

QAction* CSystemMenu::action(unsigned id) const
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

} // namespace telmaq
