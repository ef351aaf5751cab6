#pragma once

#include <QPointer>
#include <QWidget>

class QLineEdit;
class QToolButton;

namespace telmaq {

// A pair of arrows that steps the integer shown in its buddy edit, stopping at the ends of
// its range. The up arrow and the Up key count up, the down arrow and the Down key count down.
class UpDownControl : public QWidget
{
    Q_OBJECT

public:
    explicit UpDownControl(QWidget* parent = nullptr);

    // The edit whose text the arrows step; the Up and Down keys in it step too.
    void setBuddy(QLineEdit* buddy);
    QLineEdit* buddy() const;

    void setRange(int lower, int upper);
    int lower() const { return m_lower; }
    int upper() const { return m_upper; }

    // Steps the buddy's value by delta, clamped to the range. A buddy that holds no number
    // starts from the last position the control set.
    void stepBy(int delta);

    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* m_up;
    QToolButton* m_down;
    QPointer<QLineEdit> m_buddy;
    const QObject* m_watched = nullptr; // compared only, never dereferenced
    int m_lower = 0;
    int m_upper = 100;
    int m_position = 0;
};

} // namespace telmaq
