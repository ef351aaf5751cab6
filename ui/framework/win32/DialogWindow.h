#pragma once

#include "ui/framework/Dialog.h"
#include "ui/framework/DialogTemplate.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/framework/win32/WinApi.h"

namespace telmaq {

class Win32SortedComboBox;
class Win32UpDownControl;

// The Win32 window behind a Dialog: made hidden from the template when the object is made,
// shown by DoModal or Create, and the place its notifications are handed on from.
class DialogWindow
{
public:
    DialogWindow(Dialog& dialog, const DialogTemplate& dialogTemplate, HWND owner);
    ~DialogWindow();
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    // The dialog object is going: no more messages reach it.
    void detach() { m_dialog = nullptr; }
    Dialog* dialog() const { return m_dialog; }
    HWND handle() const { return m_hwnd; }

    HWND control(int id) const;
    Win32SortedComboBox* comboBox(int id) const;
    Win32UpDownControl* upDown(int id) const;
    void focusFirstControl();

    // Runs the window modally until endModal; answers the code it ended with.
    int runModal();
    void endModal(int code);
    int result() const { return m_result; }

    // Handlers the dialog binds.
    std::map<int, std::function<void()>> clicked;
    std::map<int, std::function<void()>> editChanged;
    std::map<int, std::function<void()>> selChanged;
    std::map<DialogKey, std::function<void()>> keys;
    // The modal run shows the window minimised from the start.
    bool startMinimized = false;
    // edit id -> the bytes SetDlgItemText gave it
    std::map<int, std::string> editBytes;
    // Ids of the system menu's commands, handed to whoever installed this handler.
    std::function<bool(unsigned id)> sysCommand;
    std::function<void()> initMenuPopup;
    // Calls posted with postCall, run in the order they came.
    void post(std::function<void()> call);

    // The window a key message of the thread belongs to answers its own keys (F1, Alt+Space).
    static bool handleKey(const MSG& message);

private:
    static INT_PTR CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
    void command(int id, int code);

    Dialog* m_dialog;
    const DialogTemplate& m_template;
    HWND m_hwnd = nullptr;
    std::map<int, std::unique_ptr<Win32SortedComboBox>> m_combos;
    std::map<int, std::unique_ptr<Win32UpDownControl>> m_upDowns;
    std::vector<std::function<void()>> m_posted;
    bool m_modal = false;
    bool m_ended = false;
    int m_result = IDCANCEL;
};

// Builds the in-memory DLGTEMPLATEEX of a template: the resource the dialog manager makes the
// window and its controls from, so the table stays the one description of every dialog.
std::vector<WORD> buildDialogResource(const DialogTemplate& dialogTemplate);

} // namespace telmaq
