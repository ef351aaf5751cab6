#include "ui/framework/Dialog.h"

#include "platform/win32/Win32Text.h"
#include "ui/framework/win32/DialogWindow.h"
#include "ui/framework/win32/Win32SortedComboBox.h"
#include "ui/framework/win32/Win32UpDownControl.h"

namespace telmaq {

namespace {

bool isEdit(HWND control)
{
    wchar_t name[16] = {};
    GetClassNameW(control, name, 16);
    return lstrcmpiW(name, L"Edit") == 0;
}

// Window timer ids of ours are offset so that none is zero.
constexpr int kTimerBase = 1;

} // namespace

Dialog::Dialog(const DialogTemplate& dialogTemplate, IMessageBox& messageBoxes, Dialog* owner)
    : m_template(dialogTemplate), m_messageBoxes(messageBoxes),
      m_window(new DialogWindow(*this, dialogTemplate, owner ? owner->window().handle() : nullptr))
{}

Dialog::~Dialog()
{
    if (DialogWindow* window = m_window) {
        m_window = nullptr;
        window->detach();
        delete window;
    }
}

void Dialog::focusFirstControl()
{
    m_window->focusFirstControl();
}

int Dialog::DoModal()
{
    HWND hwnd = m_window->handle();
    if (!GetWindow(hwnd, GW_OWNER)) {
        // Without an owner of its own the dialog belongs to the window the user works in.
        HWND active = GetActiveWindow();
        if (active && active != hwnd)
            SetWindowLongPtrW(hwnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(active));
    }
    prepare();
    return m_window->runModal();
}

void Dialog::Create()
{
    prepare();
    if (m_template.style & WS_VISIBLE)
        ::ShowWindow(m_window->handle(), SW_SHOW);
}

void Dialog::EndDialog(int code)
{
    m_window->endModal(code);
}

int Dialog::result() const
{
    return m_window->result();
}

void Dialog::DestroyWindow()
{
    if (!m_alive)
        return;
    m_alive = false;
    for (const auto& timer : m_timers)
        ::KillTimer(m_window->handle(), static_cast<UINT_PTR>(timer.second));
    m_timers.clear();
    ::ShowWindow(m_window->handle(), SW_HIDE);
    PostNcDestroy();
}

void Dialog::deleteWindowLater()
{
    // Not at once: we may be inside our own Cancel button's click. The window goes from the
    // event loop, unless an owner took it along first.
    DialogWindow* window = m_window;
    window->post([window] { delete window; });
}

bool Dialog::IsDlgButtonChecked(int id) const
{
    HWND control = m_window->control(id);
    return control && SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Dialog::CheckDlgButton(int id, bool checked)
{
    if (HWND control = m_window->control(id))
        SendMessageW(control, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

std::string Dialog::GetDlgItemText(int id) const
{
    HWND control = m_window->control(id);
    if (!control)
        return {};
    const std::string text = win32::windowTextUtf8(control);
    if (isEdit(control)) {
        if (const auto given = m_window->editBytes.find(id); given != m_window->editBytes.end()) {
            // What the edit shows of the bytes it was given: invalid UTF-8 comes back changed.
            const std::wstring shown = win32::wide(given->second);
            if (win32::utf8(shown.c_str()) == text)
                return given->second;
        }
    }
    return text;
}

void Dialog::SetDlgItemText(int id, const std::string& text)
{
    HWND control = m_window->control(id);
    if (!control)
        return;
    if (isEdit(control)) {
        m_window->editBytes[id] = text;
        // Setting the same text again must not move the caret or fire a change.
        const std::wstring shown = win32::wide(text);
        if (win32::windowTextUtf8(control) == win32::utf8(shown.c_str()))
            return;
    }
    SetWindowTextW(control, win32::wide(text).c_str());
}

bool Dialog::isDlgItemEnabled(int id) const
{
    HWND control = m_window->control(id);
    return control && IsWindowEnabled(control);
}

void Dialog::EnableDlgItem(int id, bool enabled)
{
    if (HWND control = m_window->control(id))
        EnableWindow(control, enabled);
}

void Dialog::GotoDlgCtrl(int id)
{
    // The dialog manager selects an edit's whole text as it gets the focus this way.
    if (HWND control = m_window->control(id))
        SendMessageW(m_window->handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

void Dialog::UpdateDlgItem(int id)
{
    if (HWND control = m_window->control(id))
        UpdateWindow(control);
}

SortedComboBox* Dialog::comboBox(int id) const
{
    return m_window->comboBox(id);
}

UpDownControl* Dialog::upDown(int id) const
{
    return m_window->upDown(id);
}

void Dialog::SetWindowText(const std::string& caption)
{
    SetWindowTextW(m_window->handle(), win32::wide(caption).c_str());
}

std::string Dialog::GetWindowText() const
{
    return win32::windowTextUtf8(m_window->handle());
}

void Dialog::SetTimer(int id, int ms)
{
    KillTimer(id);
    if (!m_alive)
        return;
    const int nativeId = id + kTimerBase;
    if (::SetTimer(m_window->handle(), static_cast<UINT_PTR>(nativeId), static_cast<UINT>(ms), nullptr))
        m_timers[id] = nativeId;
}

void Dialog::KillTimer(int id)
{
    const auto found = m_timers.find(id);
    if (found == m_timers.end())
        return;
    ::KillTimer(m_window->handle(), static_cast<UINT_PTR>(found->second));
    m_timers.erase(found);
}

bool Dialog::isVisible() const
{
    return IsWindowVisible(m_window->handle());
}

bool Dialog::isIconic() const
{
    return IsIconic(m_window->handle());
}

void Dialog::ShowWindow()
{
    ::ShowWindow(m_window->handle(), SW_SHOW);
}

void Dialog::showMinimized()
{
    ::ShowWindow(m_window->handle(), SW_MINIMIZE);
}

void Dialog::startMinimized()
{
    m_window->startMinimized = true;
}

void Dialog::restore()
{
    ::ShowWindow(m_window->handle(), SW_RESTORE);
    SetForegroundWindow(m_window->handle());
}

void Dialog::bringToFront()
{
    ::ShowWindow(m_window->handle(), SW_SHOW);
    SetForegroundWindow(m_window->handle());
}

void Dialog::startMove()
{
    PostMessageW(m_window->handle(), WM_SYSCOMMAND, SC_MOVE, 0);
}

void Dialog::close()
{
    SendMessageW(m_window->handle(), WM_CLOSE, 0, 0);
}

void Dialog::moveTo(int x, int y)
{
    SetWindowPos(m_window->handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int Dialog::left() const
{
    return windowRect().left;
}

int Dialog::top() const
{
    return windowRect().top;
}

WindowRect Dialog::windowRect() const
{
    RECT frame{};
    GetWindowRect(m_window->handle(), &frame);
    return {frame.left, frame.top, frame.right, frame.bottom};
}

WindowRect Dialog::clientRectOnScreen() const
{
    RECT client{};
    GetClientRect(m_window->handle(), &client);
    POINT topLeft{client.left, client.top};
    POINT bottomRight{client.right, client.bottom};
    ClientToScreen(m_window->handle(), &topLeft);
    ClientToScreen(m_window->handle(), &bottomRight);
    return {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

int Dialog::screenWidth() const
{
    return GetSystemMetrics(SM_CXSCREEN);
}

int Dialog::screenHeight() const
{
    return GetSystemMetrics(SM_CYSCREEN);
}

void Dialog::postCall(std::function<void()> call)
{
    m_window->post(std::move(call));
}

void Dialog::onClicked(int id, std::function<void()> handler)
{
    m_window->clicked[id] = std::move(handler);
}

void Dialog::onEditChange(int id, std::function<void()> handler)
{
    m_window->editChanged[id] = std::move(handler);
}

void Dialog::onSelChange(int id, std::function<void()> handler)
{
    m_window->selChanged[id] = std::move(handler);
}

void Dialog::onKey(DialogKey key, std::function<void()> handler)
{
    m_window->keys[key] = std::move(handler);
}

} // namespace telmaq
