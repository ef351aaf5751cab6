#pragma once

#include <QObject>
#include <QPointer>

#include <string>
#include <vector>

class QAction;
class QMenu;
class QWidget;

namespace telmaq {

// Command ids of the system menu. Ours are multiples of 16 below the platform's own, which
// start at SC_SIZE; handlers look at an id with its low four bits cleared.
constexpr unsigned IDM_ABOUTBOX = 0x10;
constexpr unsigned IDM_CONNECT = 0x30;
constexpr unsigned IDM_DISCONNECT = 0x40;
constexpr unsigned IDM_ENTRY_FIRST = 0x50;
constexpr unsigned SC_SIZE = 0xF000;
constexpr unsigned SC_MOVE = 0xF010;
constexpr unsigned SC_MINIMIZE = 0xF020;
constexpr unsigned SC_MAXIMIZE = 0xF030;
constexpr unsigned SC_CLOSE = 0xF060;
constexpr unsigned SC_RESTORE = 0xF120;

// The main window's system menu: the platform's window commands (Restore, Move, Size,
// Minimise, Maximise, Close), then our additions: the entries sub-menu, connect, disconnect
// and the About box. Qt has no system menu of its own on every desktop, so this one is
// ours; the window offers it as its context menu, on Alt+Space and on the tray icon.
// Choosing an item emits command(id); nothing is carried out here.
class CSystemMenu : public QObject
{
    Q_OBJECT

public:
    // The most entries the sub-menu lists: one more would get the id of SC_SIZE.
    static constexpr int kMaxEntryItems = static_cast<int>((SC_SIZE - IDM_ENTRY_FIRST) / 16);

    explicit CSystemMenu(QWidget* window);
    ~CSystemMenu() override;

    // Makes the additions once: a separator, the entries sub-menu "接続先(&L)" listing the
    // given names with ids IDM_ENTRY_FIRST + 16 * i and a check mark on selected, "接続(&E)",
    // "切断(&F)", and aboutText with IDM_ABOUTBOX when aboutText is not empty. Names beyond
    // kMaxEntryItems are left out of the sub-menu.
    void build(const std::vector<std::string>& entries, int selected, const std::string& aboutText);

    // Sets or clears the check mark at a position of the entries sub-menu; outside it, nothing.
    void checkEntry(int position, bool checked);
    bool isEntryChecked(int position) const;
    // How many entries the sub-menu lists.
    int entryItemCount() const;

    // Grays Maximise and Size, and enables the other window commands as the window's state
    // allows; runs every time before the menu shows.
    void OnInitMenuPopup();

    // Shows the menu at a global position, without waiting for a choice.
    void popup(const QPoint& globalPos);

    QMenu* menu() const { return m_menu; }
    QMenu* entryMenu() const { return m_hEntryMenu; }
    // The item with the given command id, or null.
    QAction* action(unsigned id) const;

signals:
    void command(unsigned id);

private:
    QAction* addCommand(QMenu* menu, const QString& text, unsigned id);

    QPointer<QWidget> m_window;
    QMenu* m_menu;
    QMenu* m_hEntryMenu = nullptr;
    bool m_built = false;
};

} // namespace telmaq
