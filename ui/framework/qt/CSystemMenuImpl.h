#pragma once

#include "ui/framework/CSystemMenu.h"

#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

class QAction;
class QWidget;

namespace telmaq {

// The system menu on Qt: a QMenu of our own, since Qt has no system menu on every desktop.
class CSystemMenu::Impl : public QObject
{
public:
    Impl(QWidget* window, std::function<void(unsigned id)> onCommand);
    ~Impl() override;

    QAction* addCommand(QMenu* menu, const QString& text, unsigned id);
    // The item with the given command id, or null.
    QAction* action(unsigned id) const;

    QPointer<QWidget> m_window;
    std::function<void(unsigned id)> m_onCommand;
    // Children of the window, so they may go with it before the menu object does.
    QPointer<QMenu> m_menu;
    QPointer<QMenu> m_hEntryMenu;
    QPointer<QSystemTrayIcon> m_tray;
    unsigned m_firstEntryId = 0;
    bool m_built = false;
};

// The menus of a system menu, for the framework's own parts and its tests.
QMenu* qtMenu(const CSystemMenu& menu);
QMenu* qtEntryMenu(const CSystemMenu& menu);
QAction* qtAction(const CSystemMenu& menu, unsigned id);

} // namespace telmaq
