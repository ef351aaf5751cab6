#include "ui/framework/CSystemMenu.h"

#include "ui/framework/Dialog.h"
#include "ui/framework/win32/DialogWindow.h"
#include "ui/framework/win32/FrameworkWindow.h"

namespace telmaq {

// The window's own system menu, with the program's items appended.
class CSystemMenu::Impl
{
public:
    HWND m_window = nullptr;
    HMENU m_entries = nullptr;
    std::function<void(unsigned id)> m_onCommand;
    bool m_built = false;

    HMENU systemMenu() const { return m_window ? GetSystemMenu(m_window, FALSE) : nullptr; }
};

namespace {

// An ampersand in an entry's name is printed, not a mnemonic.
std::wstring menuText(const std::string& text, bool literal)
{
    std::wstring result;
    for (const wchar_t c : win32::wide(text)) {
        result += c;
        if (literal && c == L'&')
            result += L'&';
    }
    return result;
}

} // namespace

CSystemMenu::CSystemMenu(Dialog& window, std::function<void(unsigned id)> onCommand) : m_impl(std::make_unique<Impl>())
{
    m_impl->m_window = window.window().handle();
    m_impl->m_onCommand = std::move(onCommand);
    Impl* impl = m_impl.get();
    window.window().sysCommand = [impl](unsigned id) {
        if (impl->m_onCommand)
            impl->m_onCommand(id);
        return true;
    };
    window.window().initMenuPopup = [this] { OnInitMenuPopup(); };
}

CSystemMenu::~CSystemMenu() = default;

void CSystemMenu::build(const std::string& entriesTitle, const std::vector<std::string>& entries, unsigned firstId,
                        int selected, const std::vector<Item>& items)
{
    HMENU menu = m_impl->systemMenu();
    if (!menu || m_impl->m_built)
        return;
    m_impl->m_built = true;
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    m_impl->m_entries = CreatePopupMenu();
    const int count = std::min(static_cast<int>(entries.size()), maxEntryItems(firstId));
    for (int i = 0; i < count; ++i) {
        const UINT flags = MF_STRING | (i == selected ? MF_CHECKED : MF_UNCHECKED);
        AppendMenuW(m_impl->m_entries, flags, firstId + 16u * static_cast<unsigned>(i),
                    menuText(entries[static_cast<std::size_t>(i)], true).c_str());
    }
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(m_impl->m_entries), menuText(entriesTitle, false).c_str());
    for (const Item& item : items)
        AppendMenuW(menu, MF_STRING, item.id, menuText(item.text, false).c_str());
}

void CSystemMenu::checkEntry(int position, bool checked)
{
    if (!m_impl->m_entries || position < 0 || position >= entryItemCount())
        return;
    CheckMenuItem(m_impl->m_entries, static_cast<UINT>(position),
                  MF_BYPOSITION | (checked ? MF_CHECKED : MF_UNCHECKED));
}

bool CSystemMenu::isEntryChecked(int position) const
{
    if (!m_impl->m_entries || position < 0 || position >= entryItemCount())
        return false;
    return (GetMenuState(m_impl->m_entries, static_cast<UINT>(position), MF_BYPOSITION) & MF_CHECKED) != 0;
}

int CSystemMenu::entryItemCount() const
{
    return m_impl->m_entries ? GetMenuItemCount(m_impl->m_entries) : 0;
}

void CSystemMenu::OnInitMenuPopup()
{
    HMENU menu = m_impl->systemMenu();
    if (!menu)
        return;
    const bool iconic = IsIconic(m_impl->m_window);
    const auto enable = [menu](UINT id, bool enabled) {
        EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    };
    // The window has a fixed size.
    enable(SC_MAXIMIZE, false);
    enable(SC_SIZE, false);
    enable(SC_RESTORE, iconic);
    enable(SC_MOVE, !iconic);
    enable(SC_MINIMIZE, !iconic);
    enable(SC_CLOSE, true);
}

void CSystemMenu::popup(int x, int y)
{
    HWND window = m_impl->m_window;
    // From the event loop: the caller does not wait for the choice.
    win32::postToFramework([window, x, y] {
        if (!IsWindow(window))
            return;
        HMENU menu = GetSystemMenu(window, FALSE);
        SendMessageW(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, TRUE));
        SetForegroundWindow(window);
        const BOOL command = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, window, nullptr);
        if (command)
            PostMessageW(window, WM_SYSCOMMAND, static_cast<WPARAM>(command), 0);
    });
}

void CSystemMenu::showTrayIcon(const std::string&, std::function<void()>)
{
    // Windows shows the window's button on the task bar, and its system menu there; a tray
    // icon would only repeat it.
}

} // namespace telmaq
