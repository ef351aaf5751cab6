#include "ui/Dialog.h"

#include "ui/ControlFactory.h"
#include "ui/DataExchange.h"
#include "ui/DialogFont.h"
#include "ui/ProgramIcon.h"
#include "ui/WindowManagerHints.h"
#include "ui/WindowStyles.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTimerEvent>

namespace telmaq {

namespace {

Qt::WindowFlags windowFlagsFor(const DialogTemplate& t)
{
    Qt::WindowFlags flags = (t.exStyle & WS_EX_APPWINDOW) ? Qt::Window : Qt::Dialog;
    flags |= Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint;
    if ((t.style & WS_CAPTION) == WS_CAPTION)
        flags |= Qt::WindowTitleHint;
    if (t.style & WS_SYSMENU)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (t.style & WS_MINIMIZEBOX)
        flags |= Qt::WindowMinimizeButtonHint;
    return flags;
}

} // namespace

Dialog::Dialog(const DialogTemplate& dialogTemplate, IMessageBox& messageBoxes, QWidget* owner)
    : QDialog(owner, windowFlagsFor(dialogTemplate)), m_template(dialogTemplate), m_messageBoxes(messageBoxes)
{
    const QFont font = dialogFont(m_template.fontFace, m_template.pointSize);
    setFont(font);
    m_baseUnits = dialogBaseUnits(font);
    setWindowTitle(QString::fromStdString(m_template.caption));
    setWindowIcon(programIcon());
    setSizeGripEnabled(false);
    setFixedSize(dialogUnitsToPixels(QRect(0, 0, m_template.width, m_template.height), m_baseUnits).size());
    keepWindowManagerHints(this, m_template.style);

    const std::vector<QWidget*> widgets = buildControls(m_template, this, m_baseUnits);
    for (std::size_t i = 0; i < widgets.size(); ++i) {
        const int id = m_template.controls[i].id;
        if (id >= 0)
            m_controls[id] = widgets[i];
    }
    // OK and Cancel reach their handlers the way Enter and Esc do.
    if (auto* ok = qobject_cast<QAbstractButton*>(GetDlgItem(IDOK)))
        connect(ok, &QAbstractButton::clicked, this, [this] { accept(); });
    if (auto* cancel = qobject_cast<QAbstractButton*>(GetDlgItem(IDCANCEL)))
        connect(cancel, &QAbstractButton::clicked, this, [this] { reject(); });
}

Dialog::~Dialog() = default;

void Dialog::prepare()
{
    if (m_prepared)
        return;
    m_prepared = true;
    BindHandlers();
    if (OnInitDialog())
        focusFirstControl();
}

int Dialog::DoModal()
{
    if (!parentWidget()) {
        // Without an owner of its own the dialog belongs to the window the user works in.
        QWidget* active = QApplication::activeWindow();
        if (active && active != this)
            setParent(active, windowFlags());
    }
    prepare();
    setResult(IDCANCEL);
    return exec();
}

void Dialog::Create()
{
    prepare();
    if (m_template.style & WS_VISIBLE)
        show();
}

void Dialog::EndDialog(int code)
{
    done(code);
}

void Dialog::DestroyWindow()
{
    if (!m_alive)
        return;
    m_alive = false;
    for (const auto& timer : m_timers)
        killTimer(timer.second);
    m_timers.clear();
    hide();
    PostNcDestroy();
}

bool Dialog::UpdateData(bool saveAndValidate)
{
    DataExchange dx(*this, saveAndValidate);
    DoDataExchange(dx);
    dx.commit();
    return !dx.failed();
}

QWidget* Dialog::GetDlgItem(int id) const
{
    const auto found = m_controls.find(id);
    return found == m_controls.end() ? nullptr : found->second;
}

bool Dialog::IsDlgButtonChecked(int id) const
{
    const auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id));
    return button && button->isChecked();
}

void Dialog::CheckDlgButton(int id, bool checked)
{
    if (auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id)))
        button->setChecked(checked);
}

std::string Dialog::GetDlgItemText(int id) const
{
    QWidget* control = GetDlgItem(id);
    QString text;
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        text = edit->text();
        if (const auto given = m_editBytes.find(id);
            given != m_editBytes.end() && QString::fromStdString(given->second) == text)
            return given->second;
    } else if (auto* label = qobject_cast<QLabel*>(control))
        text = label->text();
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        text = button->text();
    else if (auto* combo = qobject_cast<QComboBox*>(control))
        text = combo->currentText();
    return text.toStdString();
}

void Dialog::SetDlgItemText(int id, const std::string& text)
{
    QWidget* control = GetDlgItem(id);
    const QString value = QString::fromStdString(text);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        m_editBytes[id] = text;
        // Setting the same text again must not move the caret or fire a change.
        if (edit->text() != value)
            edit->setText(value);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(value);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(value);
    }
}

bool Dialog::isDlgItemEnabled(int id) const
{
    const QWidget* control = GetDlgItem(id);
    return control && control->isEnabled();
}

void Dialog::EnableDlgItem(int id, bool enabled)
{
    if (QWidget* control = GetDlgItem(id))
        control->setEnabled(enabled);
}

void Dialog::SetWindowText(const std::string& caption)
{
    setWindowTitle(QString::fromStdString(caption));
}

void Dialog::SetTimer(int id, int ms)
{
    KillTimer(id);
    if (!m_alive)
        return;
    const int qtId = startTimer(ms, Qt::PreciseTimer);
    if (qtId != 0)
        m_timers[id] = qtId;
}

void Dialog::KillTimer(int id)
{
    const auto found = m_timers.find(id);
    if (found == m_timers.end())
        return;
    killTimer(found->second);
    m_timers.erase(found);
}

bool Dialog::OnInitDialog()
{
    UpdateData(false);
    return true;
}

void Dialog::DoDataExchange(DataExchange&) {}

void Dialog::OnOK()
{
    if (UpdateData(true))
        EndDialog(IDOK);
}

void Dialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void Dialog::OnClose()
{
    OnCancel();
}

void Dialog::OnTimer(int) {}

void Dialog::PostNcDestroy() {}

void Dialog::BindHandlers() {}

void Dialog::onClicked(int id, std::function<void()> handler)
{
    if (auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id)))
        connect(button, &QAbstractButton::clicked, this, [handler = std::move(handler)] { handler(); });
}

void Dialog::onEditChange(int id, std::function<void()> handler)
{
    if (auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(id)))
        connect(edit, &QLineEdit::textChanged, this, [handler = std::move(handler)] { handler(); });
}

void Dialog::onSelChange(int id, std::function<void()> handler)
{
    if (auto* combo = qobject_cast<QComboBox*>(GetDlgItem(id)))
        connect(combo, qOverload<int>(&QComboBox::activated), this, [handler = std::move(handler)] { handler(); });
}

void Dialog::accept()
{
    if (m_alive)
        OnOK();
}

void Dialog::reject()
{
    if (m_alive)
        OnCancel();
}

void Dialog::closeEvent(QCloseEvent* event)
{
    // The handlers decide whether and how the window goes; Qt must not hide it behind their back.
    event->ignore();
    if (m_alive)
        OnClose();
}

void Dialog::timerEvent(QTimerEvent* event)
{
    // Look the id up first: OnTimer may well set or kill timers.
    int id = 0;
    bool ours = false;
    for (const auto& timer : m_timers) {
        if (timer.second == event->timerId()) {
            id = timer.first;
            ours = true;
            break;
        }
    }
    if (ours)
        OnTimer(id);
    else
        QDialog::timerEvent(event);
}

void Dialog::focusFirstControl()
{
    for (const ControlTemplate& c : m_template.controls) {
        QWidget* w = GetDlgItem(c.id);
        if (c.id < 0 || !w)
            continue;
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled()) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

} // namespace telmaq
