#include "ui/framework/qt/QtUpDownControl.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

#include <algorithm>

namespace telmaq {

QtUpDownControl::QtUpDownControl(QWidget* parent)
    : QWidget(parent), m_up(new QToolButton(this)), m_down(new QToolButton(this))
{
    for (QToolButton* arrow : {m_up, m_down}) {
        // The arrows never take the focus: it stays in the buddy, where the user types.
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->setAutoRepeat(true);
        arrow->setIconSize(QSize(6, 6));
    }
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    connect(m_up, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { stepBy(-1); });
}

void QtUpDownControl::setBuddy(QLineEdit* buddy)
{
    if (m_buddy)
        m_buddy->removeEventFilter(this);
    m_buddy = buddy;
    m_watched = buddy;
    if (m_buddy)
        m_buddy->installEventFilter(this);
}

QLineEdit* QtUpDownControl::buddy() const
{
    return m_buddy;
}

void QtUpDownControl::setRange(int lower, int upper)
{
    m_lower = qMin(lower, upper);
    m_upper = qMax(lower, upper);
    m_position = qBound(m_lower, m_position, m_upper);
}

void QtUpDownControl::stepBy(int delta)
{
    int value = m_position;
    if (m_buddy) {
        bool ok = false;
        const int typed = m_buddy->text().trimmed().toInt(&ok);
        if (ok)
            value = typed;
    }
    // Clamp before and after, so a typed value far out of range comes back to the nearer end.
    value = qBound(m_lower, value, m_upper);
    const long long stepped = static_cast<long long>(value) + delta;
    m_position = static_cast<int>(std::clamp<long long>(stepped, m_lower, m_upper));
    if (m_buddy)
        m_buddy->setText(QString::number(m_position));
}

bool QtUpDownControl::eventFilter(QObject* watched, QEvent* event)
{
    // The type first: a buddy being destroyed still sends events through here, and must not
    // be looked at as an edit any more then.
    if (event->type() == QEvent::KeyPress && watched == m_watched && m_buddy && isEnabled()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Up) {
            stepBy(1);
            return true;
        }
        if (key->key() == Qt::Key_Down) {
            stepBy(-1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void QtUpDownControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int half = height() / 2;
    m_up->setGeometry(0, 0, width(), half);
    m_down->setGeometry(0, half, width(), height() - half);
}

} // namespace telmaq
