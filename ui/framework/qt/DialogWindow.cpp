#include "ui/framework/qt/DialogWindow.h"

#include "ui/framework/Dialog.h"
#include "ui/framework/WindowStyles.h"
#include "ui/framework/qt/ControlFactory.h"
#include "ui/framework/qt/DialogFont.h"
#include "ui/framework/qt/ProgramIcon.h"
#include "ui/framework/qt/WindowManagerHints.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QContextMenuEvent>
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

DialogWindow::DialogWindow(Dialog& dialog, const DialogTemplate& dialogTemplate, QWidget* owner)
    : QDialog(owner, windowFlagsFor(dialogTemplate)), m_dialog(&dialog), m_template(dialogTemplate)
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
    for (const int id : {IDOK, IDCANCEL}) {
        const auto found = m_controls.find(id);
        auto* button = found == m_controls.end() ? nullptr : qobject_cast<QAbstractButton*>(found->second);
        if (button && id == IDOK)
            connect(button, &QAbstractButton::clicked, this, [this] { accept(); });
        else if (button)
            connect(button, &QAbstractButton::clicked, this, [this] { reject(); });
    }
}

DialogWindow::~DialogWindow()
{
    if (Dialog* dialog = m_dialog) {
        m_dialog = nullptr;
        dialog->windowDestroyed();
    }
}

QWidget* DialogWindow::control(int id) const
{
    const auto found = m_controls.find(id);
    if (found != m_controls.end())
        return found->second;
    m_unknownIds.insert(id);
    return nullptr;
}

void DialogWindow::focusFirstControl()
{
    for (const ControlTemplate& c : m_template.controls) {
        QWidget* w = c.id < 0 ? nullptr : control(c.id);
        if (!w)
            continue;
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled()) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void DialogWindow::accept()
{
    if (m_dialog)
        m_dialog->okFromWindow();
}

void DialogWindow::reject()
{
    if (m_dialog)
        m_dialog->cancelFromWindow();
}

void DialogWindow::closeEvent(QCloseEvent* event)
{
    // The handlers decide whether and how the window goes; Qt must not hide it behind their back.
    event->ignore();
    if (m_dialog)
        m_dialog->closeFromWindow();
}

void DialogWindow::timerEvent(QTimerEvent* event)
{
    if (!m_dialog || !m_dialog->timerFromWindow(event->timerId()))
        QDialog::timerEvent(event);
}

void DialogWindow::contextMenuEvent(QContextMenuEvent* event)
{
    if (m_dialog)
        m_dialog->contextMenuFromWindow(event->globalPos().x(), event->globalPos().y());
    event->accept();
}

DialogWindow* qtWindow(const Dialog& dialog)
{
    return &dialog.window();
}

QWidget* qtControl(const Dialog& dialog, int id)
{
    return dialog.window().control(id);
}

} // namespace telmaq
