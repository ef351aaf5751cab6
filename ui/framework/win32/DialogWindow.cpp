#include "ui/framework/win32/DialogWindow.h"

#include "ui/framework/win32/FrameworkWindow.h"
#include "ui/framework/win32/Win32SortedComboBox.h"
#include "ui/framework/win32/Win32UpDownControl.h"

#include <windowsx.h>

namespace telmaq {

namespace {

// Every dialog window of the program, so a message is handed to the dialog it belongs to.
std::map<HWND, DialogWindow*>& liveWindows()
{
    static std::map<HWND, DialogWindow*> windows;
    return windows;
}

void initCommonControls()
{
    static const bool done = [] {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
        return InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)done;
}

} // namespace

DialogWindow::DialogWindow(Dialog& dialog, const DialogTemplate& dialogTemplate, HWND owner)
    : m_dialog(&dialog), m_template(dialogTemplate)
{
    initCommonControls();
    const std::vector<WORD> resource = buildDialogResource(dialogTemplate);
    CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(resource.data()), owner,
                               procedure, reinterpret_cast<LPARAM>(this));
}

DialogWindow::~DialogWindow()
{
    Dialog* dialog = m_dialog;
    m_dialog = nullptr;
    if (HWND hwnd = m_hwnd) {
        if (m_modal)
            endModal(m_result);
        ::DestroyWindow(hwnd);
    }
    // Taken down from the event loop (deleteWindowLater): the object hears of it, and one
    // that belongs to its window goes too.
    if (dialog)
        dialog->windowDestroyed();
}

HWND DialogWindow::control(int id) const
{
    return m_hwnd ? GetDlgItem(m_hwnd, id) : nullptr;
}

Win32SortedComboBox* DialogWindow::comboBox(int id) const
{
    const auto found = m_combos.find(id);
    return found == m_combos.end() ? nullptr : found->second.get();
}

Win32UpDownControl* DialogWindow::upDown(int id) const
{
    const auto found = m_upDowns.find(id);
    return found == m_upDowns.end() ? nullptr : found->second.get();
}

void DialogWindow::focusFirstControl()
{
    for (const ControlTemplate& c : m_template.controls) {
        HWND hwnd = c.id < 0 ? nullptr : control(c.id);
        if (hwnd && (GetWindowLongW(hwnd, GWL_STYLE) & WS_TABSTOP) && IsWindowEnabled(hwnd)) {
            SendMessageW(m_hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hwnd), TRUE);
            return;
        }
    }
}

int DialogWindow::runModal()
{
    HWND owner = GetWindow(m_hwnd, GW_OWNER);
    const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (owner)
        EnableWindow(owner, FALSE);
    m_modal = true;
    m_ended = false;
    m_result = IDCANCEL;
    ShowWindow(m_hwnd, startMinimized ? SW_SHOWMINIMIZED : SW_SHOW);
    SetForegroundWindow(m_hwnd);
    MSG message;
    while (!m_ended) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            // The quit request belongs to the loop outside this one as well.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        win32::dispatchMessage(message);
    }
    m_modal = false;
    if (owner && ownerWasEnabled)
        EnableWindow(owner, TRUE);
    if (m_hwnd)
        ShowWindow(m_hwnd, SW_HIDE);
    return m_result;
}

void DialogWindow::endModal(int code)
{
    m_result = code;
    m_ended = true;
    if (!m_hwnd)
        return;
    if (m_modal) {
        // The owner is enabled before this window hides, so the activation goes back to it.
        if (HWND owner = GetWindow(m_hwnd, GW_OWNER))
            EnableWindow(owner, TRUE);
    }
    ShowWindow(m_hwnd, SW_HIDE);
}

void DialogWindow::post(std::function<void()> call)
{
    win32::postToFramework([window = m_hwnd, call = std::move(call)] {
        if (liveWindows().count(window))
            call();
    });
}

bool DialogWindow::handleKey(const MSG& message)
{
    if (message.message != WM_KEYDOWN || message.wParam != VK_F1)
        return false;
    const auto found = liveWindows().find(GetAncestor(message.hwnd, GA_ROOT));
    if (found == liveWindows().end() || !found->second->m_dialog)
        return false;
    const auto key = found->second->keys.find(DialogKey::Help);
    if (key == found->second->keys.end())
        return false;
    const std::function<void()> handler = key->second;
    handler();
    return true;
}

INT_PTR CALLBACK DialogWindow::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<DialogWindow*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, lParam);
        self->m_hwnd = hwnd;
        liveWindows()[hwnd] = self;
    }
    auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self)
        return FALSE;
    if (message == WM_NCDESTROY) {
        liveWindows().erase(hwnd);
        self->m_hwnd = nullptr;
        // Gone along with its owner rather than by its object: the object hears of it.
        if (Dialog* dialog = self->m_dialog) {
            self->m_dialog = nullptr;
            delete self;
            dialog->windowDestroyed();
        }
        return FALSE;
    }
    return self->handle(message, wParam, lParam);
}

INT_PTR DialogWindow::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        HICON icon = win32::programIcon();
        SendMessageW(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessageW(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
        for (const ControlTemplate& c : m_template.controls) {
            HWND hwnd = GetDlgItem(m_hwnd, c.id);
            if (c.kind == ControlKind::DropDownList && hwnd)
                m_combos[c.id] = std::make_unique<Win32SortedComboBox>(hwnd);
            else if (c.kind == ControlKind::UpDown && hwnd)
                m_upDowns[c.id] = std::make_unique<Win32UpDownControl>(hwnd);
        }
        // The icon statics carry no id of their own; they are the ones of kind Icon.
        for (HWND child = GetWindow(m_hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
                SendMessageW(child, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
        }
        return FALSE;
    }
    case WM_COMMAND:
        // Wine sends the items of a sub-menu of the system menu as menu commands (no control,
        // notification 0) rather than as system commands; they are the system menu's all the same.
        if (HIWORD(wParam) == 0 && lParam == 0 && LOWORD(wParam) > IDCANCEL && LOWORD(wParam) < SC_SIZE && sysCommand &&
            m_dialog) {
            const auto handler = sysCommand;
            handler(LOWORD(wParam));
            return TRUE;
        }
        command(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        if (m_dialog)
            m_dialog->closeFromWindow();
        return TRUE;
    case WM_TIMER:
        if (m_dialog)
            m_dialog->timerFromWindow(static_cast<int>(wParam));
        return TRUE;
    case WM_CONTEXTMENU:
        if (m_dialog)
            m_dialog->contextMenuFromWindow(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return TRUE;
    case WM_SYSCOMMAND:
        // The program's own items; the window commands are the system's to carry out.
        if ((wParam & 0xFFF0u) < SC_SIZE && sysCommand && m_dialog) {
            const auto handler = sysCommand;
            handler(static_cast<unsigned>(wParam));
            SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        return FALSE;
    case WM_INITMENUPOPUP:
        if (HIWORD(lParam) && initMenuPopup)
            initMenuPopup();
        return FALSE;
    case WM_ENDSESSION:
        if (wParam && m_dialog)
            m_dialog->OnEndSession();
        return TRUE;
    default:
        return FALSE;
    }
}

void DialogWindow::command(int id, int code)
{
    if (!m_dialog)
        return;
    const std::map<int, std::function<void()>>* handlers = nullptr;
    if (code == BN_CLICKED)
        handlers = &clicked;
    else if (code == EN_CHANGE)
        handlers = &editChanged;
    else if (code == CBN_SELCHANGE)
        handlers = &selChanged;
    if (handlers) {
        if (const auto found = handlers->find(id); found != handlers->end()) {
            const std::function<void()> handler = found->second;
            handler();
        }
    }
    if (code != BN_CLICKED || !m_dialog)
        return;
    if (id == IDOK)
        m_dialog->okFromWindow();
    else if (id == IDCANCEL)
        m_dialog->cancelFromWindow();
}

namespace win32 {

void dispatchMessage(MSG& message)
{
    if (DialogWindow::handleKey(message))
        return;
    HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (root && liveWindows().count(root) && IsDialogMessageW(root, &message))
        return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

} // namespace win32

} // namespace telmaq
