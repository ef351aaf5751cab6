#include "ui/CAboutDlg.h"
#include "ui/CConnectingDlg.h"
#include "ui/CTimeDlg.h"
#include "ui/Dialog.h"
#include "ui/DialogFont.h"
#include "ui/DialogTemplates.h"
#include "ui/WindowStyles.h"

#include "fakes/MessageBoxRecorder.h"
#include "support/WaitUntil.h"

#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace telmaq {
namespace {

struct NoOwner : IConnectingDlgOwner
{
    void stopDialing() override {}
};

TEST(DialogTemplates, IdsAreUniqueAndTheMainWindowKeepsItsTabOrder)
{
    for (int id : {102, 129, 132, 100}) {
        const DialogTemplate* t = findDialogTemplate(id);
        ASSERT_NE(t, nullptr) << id;
        // An id may appear only once, or controls by id would be ambiguous.
        std::set<int> ids;
        for (const auto& c : t->controls) {
            if (c.id >= 0) {
                EXPECT_TRUE(ids.insert(c.id).second) << "template " << id << " repeats id " << c.id;
            }
        }
    }
    EXPECT_EQ(findDialogTemplate(101), nullptr);

    std::vector<int> ids;
    for (const auto& c : mainDialogTemplate().controls) {
        if (c.id >= 0)
            ids.push_back(c.id);
    }
    const std::vector<int> expected = {1000, 1036, 1001, 1025, 1026, 1027, 1028, 1029, 1030, 1031, 1048, 1049,
                                       1041, 1050, 1051, 1011, 1012, 1019, 1013, 1035, 1032, 1033, 1052, 2};
    EXPECT_EQ(ids, expected);
}

TEST(DialogUnits, BaseUnitsComeFromTheFontAndScaleEachSideWithRounding)
{
    const QSize base(7, 15);
    // x: 10 * 7 / 4 = 17.5 -> 18; y: 20 * 15 / 8 = 37.5 -> 38; w: 3 * 7 / 4 = 5.25 -> 5.
    EXPECT_EQ(dialogUnitsToPixels(QRect(10, 20, 3, 8), base), QRect(18, 38, 5, 15));

    const QFont font = dialogFont(kDialogFontFace, 9);
    const QSize units = dialogBaseUnits(font);
    const QFontMetrics metrics(font);
    EXPECT_EQ(units.height(), metrics.height());
    const int average =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    EXPECT_NEAR(units.width(), average / 52.0, 1.0);

    // The set-up installs the IPA fonts; a Latin-only fallback would draw boxes for Japanese.
    EXPECT_TRUE(metrics.inFont(QChar(0x63A5))); // 接
    EXPECT_TRUE(metrics.inFont(QChar(0xFF7D))); // half-width ｽ
}

// Every control sits where its template puts it, in the dialog's own base units. Up-down
// controls aligned to their buddy and drop-down lists follow their own rules, checked below.
void expectControlsAtTheirTemplatePlaces(const Dialog& dialog)
{
    const DialogTemplate& t = dialog.dialogTemplate();
    const QSize base = dialog.baseUnits();
    EXPECT_EQ(dialog.size(), dialogUnitsToPixels(QRect(0, 0, t.width, t.height), base).size());
    const auto children = dialog.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(children.size(), static_cast<qsizetype>(t.controls.size()));
    for (std::size_t i = 0; i < t.controls.size(); ++i) {
        const ControlTemplate& c = t.controls[i];
        const QRect expected = dialogUnitsToPixels(QRect(c.x, c.y, c.width, c.height), base);
        const QWidget* w = children.at(static_cast<qsizetype>(i));
        if (c.id >= 0) {
            EXPECT_EQ(w, dialog.GetDlgItem(c.id));
        }
        const bool alignedBuddy = i + 1 < t.controls.size() && t.controls[i + 1].kind == ControlKind::UpDown;
        if (c.kind == ControlKind::UpDown || alignedBuddy) {
            continue;
        } else if (c.kind == ControlKind::DropDownList) {
            EXPECT_EQ(w->geometry().topLeft(), expected.topLeft());
            EXPECT_EQ(w->width(), expected.width());
        } else {
            EXPECT_EQ(w->geometry(), expected) << "template " << t.id << " control #" << i << " id " << c.id;
        }
    }
}

TEST(DialogLayout, EveryDialogPutsItsControlsAtTheirTemplateRectangles)
{
    test::MessageBoxRecorder boxes;
    NoOwner owner;
    CTimeDlg time(boxes);
    CAboutDlg about(boxes);
    Dialog main(mainDialogTemplate(), boxes);
    expectControlsAtTheirTemplatePlaces(time);
    expectControlsAtTheirTemplatePlaces(about);
    expectControlsAtTheirTemplatePlaces(main);

    QPointer<CConnectingDlg> connecting = CConnectingDlg::create(owner, boxes, nullptr);
    expectControlsAtTheirTemplatePlaces(*connecting);
    connecting->destroy();
    EXPECT_TRUE(test::waitUntil([&] { return connecting.isNull(); }));
}

// As drawn: each frame's top line runs through the middle of the title row at its template
// top, under the check box placed there, and no edge of a frame crosses another control.
TEST(DialogLayout, GroupFramesAreDrawnOnTheirTemplateEdgesAndCrossNoControl)
{
    test::MessageBoxRecorder boxes;
    for (int pointSize : {9, 16}) {
        DialogTemplate t = mainDialogTemplate();
        t.pointSize = pointSize;
        Dialog main(t, boxes);
        const QImage image = main.grab().toImage();
        const int titleRow = QFontMetrics(main.font()).height();
        const auto controls = main.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
        for (const ControlTemplate& g : t.controls) {
            if (g.kind != ControlKind::GroupBox)
                continue;
            const QRect frame = dialogUnitsToPixels(QRect(g.x, g.y, g.width, g.height), main.baseUnits());
            const int x = frame.right() - 4;
            int line = -1;
            for (int y = frame.top(); y <= frame.bottom() && line < 0; ++y)
                line = image.pixel(x, y) != image.pixel(x, frame.top()) ? y : -1;
            EXPECT_NEAR(line, frame.top() + titleRow / 2, 2) << pointSize << " pt, frame at " << g.y;

            const QRect edges[] = {{frame.left(), line, frame.width(), 1},
                                   {frame.left(), frame.bottom(), frame.width(), 1},
                                   {frame.left(), line, 1, frame.bottom() - line},
                                   {frame.right(), line, 1, frame.bottom() - line}};
            for (const QWidget* w : controls) {
                // The check box that titles the frame, and the frame itself or one around it.
                if (w->geometry().top() == frame.top() || w->geometry().contains(frame))
                    continue;
                for (const QRect& edge : edges)
                    EXPECT_FALSE(w->geometry().intersects(edge)) << pointSize << " pt, frame at " << g.y << " crosses "
                                                                 << w->metaObject()->className() << " at " << w->y();
            }
        }
    }
}

TEST(DialogLayout, UpDownArrowsTakeTheRightEndOfTheirBuddy)
{
    test::MessageBoxRecorder boxes;
    CTimeDlg dialog(boxes);
    const QSize base = dialog.baseUnits();
    for (int editId : {1042, 1044, 1046}) {
        const ControlTemplate& c = *timeDialogTemplate().control(editId);
        const ControlTemplate& s = *timeDialogTemplate().control(editId + 1);
        const QRect buddy = dialogUnitsToPixels(QRect(c.x, c.y, c.width, c.height), base);
        const QRect arrows = dialogUnitsToPixels(QRect(s.x, s.y, s.width, s.height), base);
        const QRect edit = dialog.GetDlgItem(editId)->geometry();
        const QRect upDown = dialog.GetDlgItem(editId + 1)->geometry();
        EXPECT_EQ(edit.topLeft(), buddy.topLeft());
        EXPECT_EQ(edit.width() + upDown.width(), buddy.width());
        EXPECT_EQ(upDown.width(), arrows.width());
        EXPECT_EQ(upDown.left(), edit.right() + 1);
        EXPECT_EQ(upDown.top(), buddy.top());
        EXPECT_EQ(upDown.height(), buddy.height());
    }
}

TEST(DialogLayout, LabelMnemonicsPointAtTheNextControl)
{
    test::MessageBoxRecorder boxes;
    Dialog main(mainDialogTemplate(), boxes);
    std::map<QString, QWidget*> buddies;
    for (const QLabel* label : main.findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly))
        buddies[label->text()] = label->buddy();
    EXPECT_EQ(buddies[QStringLiteral("接続先(&L)")], main.GetDlgItem(1000));
    EXPECT_EQ(buddies[QStringLiteral("起動アプリケーション(&E)")], main.GetDlgItem(1012));
}

} // namespace
} // namespace telmaq
