#pragma once

#include "ui/framework/DialogTemplate.h"

#include <functional>
#include <map>
#include <string>

namespace telmaq {

class DataExchange;
class DialogWindow;
class IMessageBox;
class SortedComboBox;
class UpDownControl;

// A rectangle in screen pixels; right and bottom are exclusive.
struct WindowRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Keys a dialog may bind to a handler of its own, beside those its controls answer.
enum class DialogKey
{
    Help, // F1
    // The window's own menu: Alt+Space where no window manager takes it for its own menu, and
    // the keys of a context menu (Shift+F10, the Menu key) everywhere.
    WindowMenu,
};

// A dialog built from a template: the window and its controls in template order (which is the
// tab order), positioned in dialog units of the template's font. Controls are reached by id.
// Subclasses name their exchange table in DoDataExchange and bind their notifications to their
// On... handlers in BindHandlers, the one place per dialog that does so.
//
// Buttons 1 and 2 are OK and Cancel: Enter presses the default button, Esc, the close box and
// Cancel reach OnCancel; OK reaches OnOK.
//
// The window itself is the framework's (window() names it for the framework's own parts); the
// object owns it and takes it down when it goes.
class Dialog
{
public:
    // owner may be nullptr: a modal run then takes the active window as its owner.
    Dialog(const DialogTemplate& dialogTemplate, IMessageBox& messageBoxes, Dialog* owner = nullptr);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog modally and returns the code it ended with (IDOK, IDCANCEL, ...).
    int DoModal();
    // Creates the dialog modeless; it shows at once when its template says it is visible.
    void Create();
    // Ends a modal run with this code.
    void EndDialog(int code);
    // The code the last modal run ended with.
    int result() const;
    // Takes the window down at once; PostNcDestroy follows.
    void DestroyWindow();
    // False once DestroyWindow has run.
    bool isWindowAlive() const { return m_alive; }

    // Moves data between the controls and the members: true reads and validates the controls,
    // false fills them. False when validation failed (its message has been shown then).
    bool UpdateData(bool saveAndValidate = true);

    bool IsDlgButtonChecked(int id) const;
    void CheckDlgButton(int id, bool checked);
    // An edit answers the very bytes it was last given while its text is as it showed them:
    // bytes that are not UTF-8 (a legal file name) cannot survive the trip through its text.
    std::string GetDlgItemText(int id) const;
    void SetDlgItemText(int id, const std::string& text);
    bool isDlgItemEnabled(int id) const;
    void EnableDlgItem(int id, bool enabled);
    // Puts the focus on the control; an edit's text is selected, ready to be typed over.
    void GotoDlgCtrl(int id);
    // Draws the control now, for a caller that does not return to the event loop soon.
    void UpdateDlgItem(int id);
    // The drop-down list or up-down control with this id, or nullptr.
    SortedComboBox* comboBox(int id) const;
    UpDownControl* upDown(int id) const;

    void SetWindowText(const std::string& caption);
    std::string GetWindowText() const;

    // Starts (or restarts) timer id with the period ms; OnTimer(id) gets every tick.
    void SetTimer(int id, int ms);
    void KillTimer(int id);

    // The window on the screen.
    bool isVisible() const;
    bool isIconic() const;
    void ShowWindow();
    void showMinimized();
    // Asks for the minimised state before the window first shows: a window manager drops a
    // request to minimise a window it has not taken over yet.
    void startMinimized();
    // Back from minimised, in front and active.
    void restore();
    // Shows the window in front (not topmost) and makes it active.
    void bringToFront();
    // Lets the user move the window with the mouse or the keys, as the window menu's Move does.
    void startMove();
    // Asks the window to close, as its close box does.
    void close();
    // Puts the window's frame corner at (x, y) on the screen, keeping its size.
    void moveTo(int x, int y);
    int left() const;
    int top() const;
    WindowRect windowRect() const;
    WindowRect clientRectOnScreen() const;
    int screenWidth() const;
    int screenHeight() const;

    // Runs call from the event loop once the current handler has returned.
    void postCall(std::function<void()> call);

    const DialogTemplate& dialogTemplate() const { return m_template; }
    IMessageBox& messageBoxes() const { return m_messageBoxes; }
    DialogWindow& window() const { return *m_window; }

    // Called from the window: its handlers, in the toolkit's order.
    void okFromWindow();
    void cancelFromWindow();
    void closeFromWindow();
    bool timerFromWindow(int nativeTimerId);
    void contextMenuFromWindow(int x, int y);
    // The window was destroyed along with its owner's; a self-owning dialog goes with it.
    void windowDestroyed();

    // The session is ending: the window's last chance to save.
    virtual void OnEndSession();

protected:
    // Default: fill the controls once. True puts the focus on the first control that takes it.
    virtual bool OnInitDialog();
    // The dialog's exchange table; the default exchanges nothing.
    virtual void DoDataExchange(DataExchange& dx);
    // Default: read and validate the controls, then end with IDOK.
    virtual void OnOK();
    // Default: end with IDCANCEL.
    virtual void OnCancel();
    // The close box and the window manager's close; default: OnCancel.
    virtual void OnClose();
    virtual void OnTimer(int id);
    // Called once the window is down; a self-owning dialog frees itself here.
    virtual void PostNcDestroy();
    // Connects the dialog's notifications to its handlers; called once before OnInitDialog.
    virtual void BindHandlers();
    // The user asked for the window's context menu at a point on the screen.
    virtual void OnContextMenu(int x, int y);

    // BN_CLICKED of a button or check box.
    void onClicked(int id, std::function<void()> handler);
    // EN_CHANGE of an edit: every change of its text, typed or set.
    void onEditChange(int id, std::function<void()> handler);
    // CBN_SELCHANGE of a drop-down list: the user chose an item.
    void onSelChange(int id, std::function<void()> handler);
    void onKey(DialogKey key, std::function<void()> handler);

    // From now on the object belongs to its window: it is freed when the window goes, from
    // the event loop after DestroyWindow, or at once along with an owner window.
    void ownedByWindow() { m_ownedByWindow = true; }
    // Frees the window, and with it an object that belongs to it, from the event loop once
    // no handler of its own is running any more.
    void deleteWindowLater();

private:
    // Binds the handlers and fills the controls, once, before the window first runs or shows.
    void prepare();
    void focusFirstControl();

    const DialogTemplate& m_template;
    IMessageBox& m_messageBoxes;
    DialogWindow* m_window;
    std::map<int, int> m_timers; // our id -> the toolkit's timer id
    bool m_prepared = false;
    bool m_alive = true;
    bool m_ownedByWindow = false;
};

} // namespace telmaq
