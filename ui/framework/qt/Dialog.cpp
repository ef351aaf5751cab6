#include "ui/framework/Dialog.h"

#include "ui/framework/WindowStyles.h"
#include "ui/framework/qt/DialogWindow.h"
#include "ui/framework/qt/QtSortedComboBox.h"
#include "ui/framework/qt/QtUpDownControl.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPointer>
#include <QScreen>
#include <QSessionManager>
#include <QShortcut>
#include <QWindow>

#include <vector>

namespace telmaq {

Dialog::Dialog(const DialogTemplate& dialogTemplate, IMessageBox& messageBoxes, Dialog* owner)
    : m_template(dialogTemplate), m_messageBoxes(messageBoxes),
      m_window(new DialogWindow(*this, dialogTemplate, owner ? &owner->window() : nullptr))
{
    // The session manager asks every program to save before the session ends.
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, m_window, [this](QSessionManager&) {
        if (m_alive)
            OnEndSession();
    });
}

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
    if (!m_window->parentWidget()) {
        // Without an owner of its own the dialog belongs to the window the user works in.
        QWidget* active = QApplication::activeWindow();
        if (active && active != m_window)
            m_window->setParent(active, m_window->windowFlags());
    }
    prepare();
    m_window->setResult(IDCANCEL);
    return m_window->exec();
}

void Dialog::Create()
{
    prepare();
    if (m_template.style & WS_VISIBLE)
        m_window->show();
}

void Dialog::EndDialog(int code)
{
    m_window->done(code);
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
        m_window->killTimer(timer.second);
    m_timers.clear();
    m_window->hide();
    PostNcDestroy();
}

void Dialog::deleteWindowLater()
{
    // Not at once: we may be inside our own Cancel button's click. The application object
    // does it on its next pass; the guard covers an owner that took the window with it first.
    QPointer<DialogWindow> window(m_window);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [window] { delete window.data(); }, Qt::QueuedConnection);
}

bool Dialog::IsDlgButtonChecked(int id) const
{
    const auto* button = qobject_cast<QAbstractButton*>(m_window->control(id));
    return button && button->isChecked();
}

void Dialog::CheckDlgButton(int id, bool checked)
{
    if (auto* button = qobject_cast<QAbstractButton*>(m_window->control(id)))
        button->setChecked(checked);
}

std::string Dialog::GetDlgItemText(int id) const
{
    QWidget* control = m_window->control(id);
    QString text;
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        text = edit->text();
        if (const auto given = m_window->editBytes.find(id);
            given != m_window->editBytes.end() && QString::fromStdString(given->second) == text)
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
    QWidget* control = m_window->control(id);
    const QString value = QString::fromStdString(text);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        m_window->editBytes[id] = text;
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
    const QWidget* control = m_window->control(id);
    return control && control->isEnabled();
}

void Dialog::EnableDlgItem(int id, bool enabled)
{
    if (QWidget* control = m_window->control(id))
        control->setEnabled(enabled);
}

void Dialog::GotoDlgCtrl(int id)
{
    QWidget* control = m_window->control(id);
    if (!control)
        return;
    control->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->selectAll();
}

void Dialog::UpdateDlgItem(int id)
{
    if (QWidget* control = m_window->control(id))
        control->repaint();
}

SortedComboBox* Dialog::comboBox(int id) const
{
    return qobject_cast<QtSortedComboBox*>(m_window->control(id));
}

UpDownControl* Dialog::upDown(int id) const
{
    return qobject_cast<QtUpDownControl*>(m_window->control(id));
}

void Dialog::SetWindowText(const std::string& caption)
{
    m_window->setWindowTitle(QString::fromStdString(caption));
}

std::string Dialog::GetWindowText() const
{
    return m_window->windowTitle().toStdString();
}

void Dialog::SetTimer(int id, int ms)
{
    KillTimer(id);
    if (!m_alive)
        return;
    const int qtId = m_window->startTimer(ms, Qt::PreciseTimer);
    if (qtId != 0)
        m_timers[id] = qtId;
}

void Dialog::KillTimer(int id)
{
    const auto found = m_timers.find(id);
    if (found == m_timers.end())
        return;
    m_window->killTimer(found->second);
    m_timers.erase(found);
}

bool Dialog::isVisible() const
{
    return m_window->isVisible();
}

bool Dialog::isIconic() const
{
    return m_window->isMinimized();
}

void Dialog::ShowWindow()
{
    m_window->show();
}

void Dialog::showMinimized()
{
    m_window->showMinimized();
}

void Dialog::startMinimized()
{
    m_window->setWindowState(m_window->windowState() | Qt::WindowMinimized);
}

void Dialog::restore()
{
    m_window->showNormal();
    m_window->raise();
    m_window->activateWindow();
}

void Dialog::bringToFront()
{
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void Dialog::startMove()
{
    if (QWindow* window = m_window->windowHandle())
        window->startSystemMove();
}

void Dialog::close()
{
    m_window->close();
}

void Dialog::moveTo(int x, int y)
{
    m_window->move(x, y);
}

int Dialog::left() const
{
    return m_window->pos().x();
}

int Dialog::top() const
{
    return m_window->pos().y();
}

WindowRect Dialog::windowRect() const
{
    const QRect frame = m_window->frameGeometry();
    return WindowRect{frame.left(), frame.top(), frame.left() + frame.width(), frame.top() + frame.height()};
}

WindowRect Dialog::clientRectOnScreen() const
{
    const QPoint topLeft = m_window->mapToGlobal(QPoint(0, 0));
    const QPoint bottomRight = m_window->mapToGlobal(QPoint(m_window->width(), m_window->height()));
    return {topLeft.x(), topLeft.y(), bottomRight.x(), bottomRight.y()};
}

int Dialog::screenWidth() const
{
    const QScreen* s = m_window->screen();
    return s ? s->geometry().width() : 0;
}

int Dialog::screenHeight() const
{
    const QScreen* s = m_window->screen();
    return s ? s->geometry().height() : 0;
}

void Dialog::postCall(std::function<void()> call)
{
    QMetaObject::invokeMethod(
        m_window, [call = std::move(call)] { call(); }, Qt::QueuedConnection);
}

void Dialog::onClicked(int id, std::function<void()> handler)
{
    if (auto* button = qobject_cast<QAbstractButton*>(m_window->control(id)))
        QObject::connect(button, &QAbstractButton::clicked, m_window, [handler = std::move(handler)] { handler(); });
}

void Dialog::onEditChange(int id, std::function<void()> handler)
{
    if (auto* edit = qobject_cast<QLineEdit*>(m_window->control(id)))
        QObject::connect(edit, &QLineEdit::textChanged, m_window, [handler = std::move(handler)] { handler(); });
}

void Dialog::onSelChange(int id, std::function<void()> handler)
{
    if (auto* combo = qobject_cast<QComboBox*>(m_window->control(id)))
        QObject::connect(combo, qOverload<int>(&QComboBox::activated), m_window,
                         [handler = std::move(handler)] { handler(); });
}

void Dialog::onKey(DialogKey key, std::function<void()> handler)
{
    const std::vector<QKeySequence> sequences =
        key == DialogKey::Help ? std::vector<QKeySequence>{QKeySequence(QKeySequence::HelpContents)}
                               : std::vector<QKeySequence>{QKeySequence(QStringLiteral("Alt+Space")),
                                                           QKeySequence(QStringLiteral("Shift+F10")),
                                                           QKeySequence(QStringLiteral("Menu"))};
    for (const QKeySequence& sequence : sequences) {
        auto* shortcut = new QShortcut(sequence, m_window);
        QObject::connect(shortcut, &QShortcut::activated, m_window, handler);
    }
}

} // namespace telmaq
