#pragma once

#include "ui/framework/UpDownControl.h"

#include <QPointer>
#include <QWidget>

class QLineEdit;
class QToolButton;

namespace telmaq {

// The up-down control on Qt: two tool buttons, and the Up and Down keys caught in the buddy.
class QtUpDownControl : public QWidget, public UpDownControl
{
    Q_OBJECT

public:
    explicit QtUpDownControl(QWidget* parent = nullptr);

    // The edit whose text the arrows step; the Up and Down keys in it step too.
    void setBuddy(QLineEdit* buddy);
    QLineEdit* buddy() const;

    void setRange(int lower, int upper) override;
    int lower() const override { return m_lower; }
    int upper() const override { return m_upper; }
    void stepBy(int delta) override;

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
