#include "ui/framework/qt/ControlFactory.h"

#include "ui/framework/WindowStyles.h"
#include "ui/framework/qt/DialogFont.h"
#include "ui/framework/qt/ProgramIcon.h"
#include "ui/framework/qt/QtSortedComboBox.h"
#include "ui/framework/qt/QtUpDownControl.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <qdrawutil.h>

#include <limits>

namespace telmaq {

namespace {

// A group box's frame runs through the middle of the first text line, so a check box placed on
// its top edge sits on the line, as the templates expect. Drawn here, not by the style: the
// styles' group-box frames leave room for a title row of their own above the line, which
// pushes it a whole row down into the controls below.
class GroupFrame : public QWidget
{
public:
    explicit GroupFrame(QWidget* parent) : QWidget(parent) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QRect frame = rect().adjusted(0, fontMetrics().height() / 2, 0, 0);
        qDrawShadeRect(&painter, frame, palette(), true, 1, 0);
    }
};

bool takesFocus(ControlKind kind)
{
    return kind == ControlKind::CheckBox || kind == ControlKind::PushButton || kind == ControlKind::Edit ||
           kind == ControlKind::DropDownList;
}

// "&&" stands for one ampersand, a single "&" marks the mnemonic; without a control to give the
// focus to, a label shows its text without the mark.
QString withoutMnemonic(const QString& text)
{
    QString plain;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size())
            ++i;
        plain += text[i];
    }
    return plain;
}

QWidget* makeLabel(const ControlTemplate& c, QWidget* parent, int pixelHeight)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    const std::uint32_t align = c.style & 0xF;
    Qt::Alignment alignment = align == SS_CENTER ? Qt::AlignHCenter : Qt::AlignLeft;
    alignment |= (c.style & SS_CENTERIMAGE) ? Qt::AlignVCenter : Qt::AlignTop;
    label->setAlignment(alignment);
    // Left-aligned statics wrap, but only where there is room for a second line: a one-line
    // label clipped at its end reads better than one whose text wrapped out of sight.
    label->setWordWrap(align == SS_LEFT && pixelHeight >= 2 * label->fontMetrics().height());
    if (c.style & SS_SUNKEN)
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    else if (c.exStyle & WS_EX_STATICEDGE)
        label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    label->setText(QString::fromStdString(c.text));
    return label;
}

QWidget* makeControl(const ControlTemplate& c, QWidget* parent, const QRect& pixels)
{
    const QString text = QString::fromStdString(c.text);
    switch (c.kind) {
    case ControlKind::Label:
        return makeLabel(c, parent, pixels.height());
    case ControlKind::Icon: {
        auto* label = new QLabel(parent);
        // Fills its rectangle at the screen's scale, drawn from the largest image there is.
        const int side = qMax(1, qMin(pixels.width(), pixels.height()));
        label->setPixmap(programIcon().pixmap(QSize(side, side), parent->devicePixelRatioF()));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case ControlKind::GroupBox:
        return new GroupFrame(parent);
    case ControlKind::CheckBox: {
        auto* check = new QCheckBox(text, parent);
        // A check box on a group's top edge hides the frame line behind it.
        check->setAutoFillBackground(true);
        return check;
    }
    case ControlKind::PushButton: {
        auto* button = new QPushButton(text, parent);
        // Any focused button answers Enter, as on the desktop the templates come from.
        button->setAutoDefault(true);
        button->setDefault((c.style & 0xF) == BS_DEFPUSHBUTTON);
        return button;
    }
    case ControlKind::Edit: {
        auto* edit = new QLineEdit(parent);
        // Qt's default cap of 32767 characters would cut a longer stored value on its way back.
        edit->setMaxLength(std::numeric_limits<int>::max());
        edit->setFrame((c.style & WS_BORDER) != 0);
        if (c.style & ES_NUMBER)
            edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
        if (c.exStyle & WS_EX_RIGHT)
            edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return edit;
    }
    case ControlKind::DropDownList:
        return new QtSortedComboBox(parent);
    case ControlKind::UpDown:
        return new QtUpDownControl(parent);
    }
    return new QWidget(parent);
}

} // namespace

std::vector<QWidget*> buildControls(const DialogTemplate& dialogTemplate, QWidget* parent, const QSize& baseUnits)
{
    std::vector<QWidget*> widgets;
    widgets.reserve(dialogTemplate.controls.size());
    for (const ControlTemplate& c : dialogTemplate.controls) {
        const QRect pixels = dialogUnitsToPixels(QRect(c.x, c.y, c.width, c.height), baseUnits);
        QWidget* w = makeControl(c, parent, pixels);
        w->setGeometry(pixels);
        if (takesFocus(c.kind))
            w->setFocusPolicy((c.style & WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus);
        else if (c.kind != ControlKind::UpDown)
            w->setFocusPolicy(Qt::NoFocus);
        widgets.push_back(w);
    }

    for (std::size_t i = 0; i < widgets.size(); ++i) {
        const ControlTemplate& c = dialogTemplate.controls[i];
        if (c.kind == ControlKind::DropDownList) {
            // The template's height is the list's dropped height; the closed box keeps its own.
            auto* combo = static_cast<QComboBox*>(widgets[i]);
            const int closed = combo->sizeHint().height();
            combo->setGeometry(combo->x(), combo->y(), combo->width(), closed);
            const int dropped = dialogUnitsToPixels(QRect(0, 0, 0, c.height), baseUnits).height();
            const int item = qMax(1, combo->fontMetrics().height() + 2);
            combo->setMaxVisibleItems(qMax(1, (dropped - closed) / item));
        } else if (c.kind == ControlKind::UpDown && i > 0 && (c.style & UDS_AUTOBUDDY)) {
            auto* upDown = static_cast<QtUpDownControl*>(widgets[i]);
            auto* buddy = qobject_cast<QLineEdit*>(widgets[i - 1]);
            if (!buddy)
                continue;
            upDown->setBuddy(buddy);
            if (c.style & UDS_ALIGNRIGHT) {
                // The arrows take the buddy's right end and its height; the buddy gives up
                // their width, so the two together cover the buddy's template rectangle.
                const QRect b = buddy->geometry();
                const int w = qMin(upDown->width(), b.width() - 1);
                buddy->setGeometry(b.x(), b.y(), b.width() - w, b.height());
                upDown->setGeometry(b.x() + b.width() - w, b.y(), w, b.height());
            }
        } else if (c.kind == ControlKind::Label && !(c.style & SS_NOPREFIX)) {
            auto* label = static_cast<QLabel*>(widgets[i]);
            if (!label->text().contains(QLatin1Char('&')))
                continue;
            // A label's mnemonic moves the focus to the next control in template order
            // that takes it.
            QWidget* target = nullptr;
            for (std::size_t j = i + 1; j < widgets.size() && !target; ++j) {
                if (takesFocus(dialogTemplate.controls[j].kind))
                    target = widgets[j];
            }
            if (target)
                label->setBuddy(target);
            else
                label->setText(withoutMnemonic(label->text()));
        }
    }
    return widgets;
}

} // namespace telmaq
