#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace telmaq {

class Dialog;

// The platform's window commands; the items a program adds take ids below SC_SIZE.
constexpr unsigned SC_SIZE = 0xF000;
constexpr unsigned SC_MOVE = 0xF010;
constexpr unsigned SC_MINIMIZE = 0xF020;
constexpr unsigned SC_MAXIMIZE = 0xF030;
constexpr unsigned SC_CLOSE = 0xF060;
constexpr unsigned SC_RESTORE = 0xF120;

// A window's system menu: the platform's window commands (Restore, Move, Size, Minimise,
// Maximise, Close), then the program's additions: a sub-menu of entries with one of them
// marked, and plain items. Not every desktop draws a system menu, so the window offers this
// one as its context menu, on a key and on the tray icon. Choosing an item calls the command
// handler with its id; nothing is carried out here.
class CSystemMenu
{
public:
    struct Item
    {
        std::string text;
        unsigned id;
    };

    CSystemMenu(Dialog& window, std::function<void(unsigned id)> onCommand);
    ~CSystemMenu();
    CSystemMenu(const CSystemMenu&) = delete;
    CSystemMenu& operator=(const CSystemMenu&) = delete;

    // The most entries a sub-menu numbered from firstId lists: one more would take SC_SIZE's id.
    static int maxEntryItems(unsigned firstId) { return static_cast<int>((SC_SIZE - firstId) / 16); }

    // Makes the additions once: a separator, the sub-menu entriesTitle listing the entries
    // with ids firstId + 16 * i and a mark on selected, then the items. Entries beyond
    // maxEntryItems(firstId) are left out of the sub-menu. An ampersand in an entry is part
    // of its name, not a mnemonic.
    void build(const std::string& entriesTitle, const std::vector<std::string>& entries, unsigned firstId, int selected,
               const std::vector<Item>& items);

    // Sets or clears the mark at a position of the entries sub-menu; outside it, nothing.
    void checkEntry(int position, bool checked);
    bool isEntryChecked(int position) const;
    // How many entries the sub-menu lists.
    int entryItemCount() const;

    // Grays Maximise and Size, and enables the other window commands as the window's state
    // allows; runs every time before the menu shows.
    void OnInitMenuPopup();

    // Shows the menu at a point on the screen, without waiting for a choice.
    void popup(int x, int y);
    // Puts the program's icon in the desktop's tray, where there is one, with this menu as
    // its context menu; onActivate runs when the icon itself is clicked.
    void showTrayIcon(const std::string& toolTip, std::function<void()> onActivate);

    // The toolkit's side, for the framework's own parts.
    class Impl;
    Impl& impl() const { return *m_impl; }

private:
    std::unique_ptr<Impl> m_impl;
};

} // namespace telmaq
