#include "ui/dialogs/DialogTemplates.h"
#include "ui/framework/Dialog.h"
#include "ui/framework/qt/DialogFont.h"
#include "ui/framework/qt/DialogWindow.h"
#include "ui/framework/qt/ProgramIcon.h"

#include "fakes/MessageBoxRecorder.h"

#include <QtWidgets>
#include <gtest/gtest.h>

namespace telmaq::test {
namespace {

// Every control sits where its template puts it, in the dialog's own base units; up-down
// arrows take the right end of their buddy's rectangle, drop-down lists keep their own height,
// a label's mnemonic leads to the control after it, and the program icon fills its square at
// the screen's own pixel ratio. As drawn, each group frame's top line runs through the middle of
// the title row at its template top, under the check box placed there, and no edge of a frame
// crosses another control. Answers how many icons it saw.
int expectControlsAtTheirTemplatePlaces(Dialog& dialog)
{
    DialogWindow& window = *qtWindow(dialog);
    const QImage image = window.grab().toImage();
    const DialogTemplate& t = dialog.dialogTemplate();
    const auto place = [&](std::size_t i) {
        const ControlTemplate& c = t.controls.at(i);
        return dialogUnitsToPixels(QRect(c.x, c.y, c.width, c.height), window.baseUnits());
    };
    EXPECT_EQ(window.size(), dialogUnitsToPixels(QRect(0, 0, t.width, t.height), window.baseUnits()).size());
    const auto children = window.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    EXPECT_EQ(children.size(), static_cast<qsizetype>(t.controls.size()));
    int icons = 0;
    for (std::size_t i = 0; i < t.controls.size() && i < static_cast<std::size_t>(children.size()); ++i) {
        const ControlTemplate& c = t.controls[i];
        const QWidget* w = children.at(static_cast<qsizetype>(i));
        SCOPED_TRACE(testing::Message() << "template " << t.id << " at " << t.pointSize << " pt, control #" << i);
        EXPECT_TRUE(c.id < 0 || w == qtControl(dialog, c.id));
        const bool buddyOfUpDown = i + 1 < t.controls.size() && t.controls[i + 1].kind == ControlKind::UpDown;
        if (c.kind == ControlKind::UpDown) {
            const QWidget* buddy = children.at(static_cast<qsizetype>(i - 1));
            EXPECT_EQ(buddy->geometry().united(w->geometry()), place(i - 1));
            EXPECT_EQ(std::tuple(w->width(), w->x()), std::tuple(place(i).width(), buddy->geometry().right() + 1));
        } else if (c.kind == ControlKind::DropDownList) {
            EXPECT_EQ(std::tuple(w->pos(), w->width()), std::tuple(place(i).topLeft(), place(i).width()));
        } else if (!buddyOfUpDown) {
            EXPECT_EQ(w->geometry(), place(i));
        }
        if (auto* label = qobject_cast<const QLabel*>(w); label && label->text().contains('&')) {
            EXPECT_EQ(label->buddy(), children.at(static_cast<qsizetype>(i + 1)));
        }
        if (c.kind == ControlKind::Icon) {
            const QPixmap pixmap = qobject_cast<const QLabel*>(w)->pixmap();
            const int side = qMin(place(i).width(), place(i).height());
            EXPECT_EQ(std::tuple(pixmap.deviceIndependentSize().toSize(), pixmap.devicePixelRatio()),
                      std::tuple(QSize(side, side), window.devicePixelRatioF()));
            ++icons;
        }
        if (c.kind == ControlKind::GroupBox) {
            const QRect frame = place(i);
            int line = frame.top();
            while (line < frame.bottom() &&
                   image.pixel(frame.right() - 4, line) == image.pixel(frame.right() - 4, frame.top()))
                ++line;
            EXPECT_NEAR(line, frame.top() + QFontMetrics(window.font()).height() / 2, 2);
            for (const QWidget* other : children) {
                // The check box that titles the frame, and the frame itself or one around it.
                const bool exempt = other->geometry().top() == frame.top() || other->geometry().contains(frame);
                for (const QRect& edge : {QRect(frame.left(), line, frame.width(), 1),
                                          QRect(frame.left(), frame.bottom(), frame.width(), 1),
                                          QRect(frame.left(), line, 1, frame.bottom() - line),
                                          QRect(frame.right(), line, 1, frame.bottom() - line)})
                    EXPECT_FALSE(!exempt && other->geometry().intersects(edge)) << other->metaObject()->className();
            }
        }
    }
    return icons;
}

// At the dialog font's size and at a large one; the icon is built in from 16 to 256 pixels.
TEST(DialogLayout, EveryDialogPutsItsControlsAtTheirTemplateRectanglesInUnitsOfItsFont)
{
    // x: 10 * 7 / 4 = 17.5 -> 18; y: 20 * 15 / 8 = 37.5 -> 38; w: 3 * 7 / 4 = 5.25 -> 5.
    EXPECT_EQ(dialogUnitsToPixels(QRect(10, 20, 3, 8), QSize(7, 15)), QRect(18, 38, 5, 15));
    const QFont font = dialogFont(kDialogFontFace, 9);
    const QFontMetrics metrics(font);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(dialogBaseUnits(font).height(), metrics.height());
    EXPECT_NEAR(dialogBaseUnits(font).width(), metrics.horizontalAdvance(letters) / 52.0, 1.0);
    // The set-up installs the IPA fonts; a Latin-only fallback would draw boxes for Japanese.
    EXPECT_TRUE(metrics.inFont(QChar(0x63A5)) && metrics.inFont(QChar(0xFF7D))); // 接, half-width ｽ
    for (int size : {16, 32, 48, 256})
        EXPECT_EQ(programIcon().pixmap(size, size).size(), QSize(size, size)) << size;
    MessageBoxRecorder boxes;
    int icons = 0; // the About box's and the connecting dialog's
    for (const DialogTemplate* shown :
         {&timeDialogTemplate(), &aboutDialogTemplate(), &mainDialogTemplate(), &connectingDialogTemplate()}) {
        for (int pointSize : {shown->pointSize, 24}) {
            DialogTemplate t = *shown;
            t.pointSize = pointSize;
            Dialog dialog(t, boxes);
            icons += expectControlsAtTheirTemplatePlaces(dialog);
        }
    }
    EXPECT_EQ(icons, 4);
}

} // namespace
} // namespace telmaq::test
