#pragma once

#include "ui/framework/DialogTemplate.h"

#include <QDialog>
#include <QSize>

#include <map>
#include <set>
#include <string>

namespace telmaq {

class Dialog;

// The Qt window behind a Dialog: the widgets its template makes, and the window events it
// hands on to the dialog's handlers.
class DialogWindow : public QDialog
{
    Q_OBJECT

public:
    DialogWindow(Dialog& dialog, const DialogTemplate& dialogTemplate, QWidget* owner);
    ~DialogWindow() override;

    // The dialog object is going: no more events reach it.
    void detach() { m_dialog = nullptr; }
    Dialog* dialog() const { return m_dialog; }

    // The control with this id, or nullptr; an id the template lacks is noted.
    QWidget* control(int id) const;
    // The ids asked for that the template has no control for: a dialog that names an id of
    // another template.
    const std::set<int>& unknownIds() const { return m_unknownIds; }
    // The base units of the dialog's font, in pixels.
    QSize baseUnits() const { return m_baseUnits; }
    void focusFirstControl();

    // edit id -> the bytes SetDlgItemText gave it
    std::map<int, std::string> editBytes;

protected:
    void accept() override;
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    Dialog* m_dialog;
    const DialogTemplate& m_template;
    QSize m_baseUnits;
    std::map<int, QWidget*> m_controls;
    mutable std::set<int> m_unknownIds;
};

// The Qt window of a dialog and the widget of one of its controls.
DialogWindow* qtWindow(const Dialog& dialog);
QWidget* qtControl(const Dialog& dialog, int id);

} // namespace telmaq
