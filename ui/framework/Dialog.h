#pragma once

#include "ui/framework/DialogTemplate.h"

#include <QDialog>
#include <QSize>

#include <functional>
#include <map>
#include <string>

namespace telmaq {

class DataExchange;
class IMessageBox;

// A dialog built from a template: the window and its controls in template order (which is the
// tab order), positioned in dialog units of the template's font. Controls are reached by id.
// Subclasses name their exchange table in DoDataExchange and bind their notifications to their
// On... handlers in BindHandlers, the one place per dialog that does so.
//
// Buttons 1 and 2 are OK and Cancel: Enter presses the default button, Esc, the close box and
// Cancel reach OnCancel; OK reaches OnOK.
class Dialog : public QDialog
{
    Q_OBJECT

public:
    // owner may be nullptr: a modal run then takes the active window as its owner.
    Dialog(const DialogTemplate& dialogTemplate, IMessageBox& messageBoxes, QWidget* owner = nullptr);
    ~Dialog() override;

    // Runs the dialog modally and returns the code it ended with (IDOK, IDCANCEL, ...).
    int DoModal();
    // Creates the dialog modeless; it shows at once when its template says it is visible.
    void Create();
    // Ends a modal run with this code.
    void EndDialog(int code);
    // Takes the window down at once; PostNcDestroy follows.
    void DestroyWindow();
    // False once DestroyWindow has run.
    bool isWindowAlive() const { return m_alive; }

    // Moves data between the controls and the members: true reads and validates the controls,
    // false fills them. False when validation failed (its message has been shown then).
    bool UpdateData(bool saveAndValidate = true);

    QWidget* GetDlgItem(int id) const;
    bool IsDlgButtonChecked(int id) const;
    void CheckDlgButton(int id, bool checked);
    // An edit answers the very bytes it was last given while its text is as it showed them:
    // bytes that are not UTF-8 (a legal file name) cannot survive the trip through its text.
    std::string GetDlgItemText(int id) const;
    void SetDlgItemText(int id, const std::string& text);
    bool isDlgItemEnabled(int id) const;
    void EnableDlgItem(int id, bool enabled);
    void SetWindowText(const std::string& caption);

    // Starts (or restarts) timer id with the period ms; OnTimer(id) gets every tick.
    void SetTimer(int id, int ms);
    void KillTimer(int id);

    const DialogTemplate& dialogTemplate() const { return m_template; }
    // The base units of the dialog's font, in pixels.
    QSize baseUnits() const { return m_baseUnits; }
    IMessageBox& messageBoxes() const { return m_messageBoxes; }

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

    // BN_CLICKED of a button or check box.
    void onClicked(int id, std::function<void()> handler);
    // EN_CHANGE of an edit: every change of its text, typed or set.
    void onEditChange(int id, std::function<void()> handler);
    // CBN_SELCHANGE of a drop-down list: the user chose an item.
    void onSelChange(int id, std::function<void()> handler);

    void accept() override;
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void prepare();
    void focusFirstControl();

    const DialogTemplate& m_template;
    IMessageBox& m_messageBoxes;
    QSize m_baseUnits;
    std::map<int, QWidget*> m_controls;
    std::map<int, int> m_timers;            // our id -> Qt's timer id
    std::map<int, std::string> m_editBytes; // edit id -> the bytes SetDlgItemText gave it
    bool m_prepared = false;
    bool m_alive = true;
};

} // namespace telmaq
