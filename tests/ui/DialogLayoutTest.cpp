#include "ui/CAboutDlg.h"
#include "ui/CConnectingDlg.h"
#include "ui/CTimeDlg.h"
#include "ui/Dialog.h"
#include "ui/DialogFont.h"
#include "ui/DialogTemplates.h"
#include "ui/WindowStyles.h"

#include "fakes/MessageBoxRecorder.h"
#include "support/WaitUntil.h"

#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace telmaq {
namespace {

struct NoOwner : IConnectingDlgOwner
{
    void stopDialing() override {}
};

TEST(DialogTemplates, CarryTheirIdsCaptionsSizesAndControlCounts)
{
    struct Expected
    {
        int id;
        const char* caption;
        int width;
        int height;
        std::size_t controls;
    };
    for (const Expected& e : {Expected{102, "telmaq", 214, 228, 32}, Expected{129, "接続中", 224, 46, 4},
                              Expected{132, "時刻設定", 189, 68, 12}, Expected{100, "ﾊﾞｰｼﾞｮﾝ情報", 189, 62, 4}}) {
        const DialogTemplate* t = findDialogTemplate(e.id);
        ASSERT_NE(t, nullptr) << e.id;
        EXPECT_EQ(t->caption, e.caption);
        EXPECT_EQ(t->width, e.width);
        EXPECT_EQ(t->height, e.height);
        EXPECT_EQ(t->controls.size(), e.controls) << e.id;
        EXPECT_EQ(t->fontFace, "ＭＳ Ｐゴシック");
        EXPECT_EQ(t->pointSize, 9);
        // An id may appear only once, or controls by id would be ambiguous.
        std::set<int> ids;
        for (const auto& c : t->controls) {
            if (c.id >= 0) {
                EXPECT_TRUE(ids.insert(c.id).second) << "template " << e.id << " repeats id " << c.id;
            }
        }
    }
    EXPECT_EQ(findDialogTemplate(101), nullptr);
}

TEST(DialogTemplates, MainWindowKeepsItsTabOrderAndSpecialControls)
{
    const DialogTemplate& t = mainDialogTemplate();
    std::vector<int> ids;
    for (const auto& c : t.controls) {
        if (c.id >= 0)
            ids.push_back(c.id);
    }
    const std::vector<int> expected = {1000, 1036, 1001, 1025, 1026, 1027, 1028, 1029, 1030, 1031, 1048, 1049,
                                       1041, 1050, 1051, 1011, 1012, 1019, 1013, 1035, 1032, 1033, 1052, 2};
    EXPECT_EQ(ids, expected);
    EXPECT_TRUE(t.exStyle & WS_EX_APPWINDOW);
    EXPECT_TRUE(t.style & WS_MINIMIZEBOX);
    EXPECT_TRUE(t.control(1000)->style & CBS_SORT);
    EXPECT_EQ(t.control(1000)->height, 110);
    EXPECT_TRUE(t.control(1012)->exStyle & WS_EX_RIGHT);
    EXPECT_EQ(t.control(1032)->style & 0xF, BS_DEFPUSHBUTTON);
    EXPECT_EQ(t.control(1019)->style & 0xF, BS_PUSHBUTTON);
    EXPECT_EQ(t.control(2)->text, "終了(ESC)");
    EXPECT_EQ(t.control(1051)->width, 39);
    EXPECT_EQ(t.control(1050)->height, 12);
    EXPECT_EQ(t.control(1048)->height, 13);
}

TEST(DialogUnits, BaseUnitsComeFromTheFontAndScaleEachSideWithRounding)
{
    const QSize base(7, 15);
    // x: 10 * 7 / 4 = 17.5 -> 18; y: 20 * 15 / 8 = 37.5 -> 38; w: 3 * 7 / 4 = 5.25 -> 5.
    EXPECT_EQ(dialogUnitsToPixels(QRect(10, 20, 3, 8), base), QRect(18, 38, 5, 15));
    EXPECT_EQ(dialogUnitsToPixels(QRect(0, 0, 4, 8), base), QRect(0, 0, 7, 15));

    const QFont font = dialogFont(kDialogFontFace, 9);
    const QSize units = dialogBaseUnits(font);
    const QFontMetrics metrics(font);
    EXPECT_EQ(units.height(), metrics.height());
    const int average =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    EXPECT_NEAR(units.width(), average / 52.0, 1.0);
    EXPECT_GT(units.width(), 2);
}

TEST(DialogUnits, TheDialogFontFallsBackToAnInstalledJapaneseGothic)
{
    const QStringList families = dialogFontFamilies(kDialogFontFace);
    ASSERT_GE(families.size(), 4);
    EXPECT_EQ(families.at(0), QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(families.at(1), QStringLiteral("MS PGothic"));
    EXPECT_EQ(families.at(2), QStringLiteral("IPAPGothic"));
    EXPECT_EQ(families.at(3), QStringLiteral("Noto Sans CJK JP"));

    const QFont font = dialogFont(kDialogFontFace, 9);
    EXPECT_EQ(font.pointSize(), 9);
    // The set-up installs the IPA fonts; a Latin-only fallback would draw boxes for Japanese.
    const QFontMetrics metrics(font);
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

TEST(DialogLayout, LabelsShowTheirTextAndMnemonicsPointAtTheNextControl)
{
    test::MessageBoxRecorder boxes;
    Dialog main(mainDialogTemplate(), boxes);
    const auto labels = main.findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
    const QLabel* entryLabel = nullptr;
    const QLabel* applicationLabel = nullptr;
    for (const QLabel* label : labels) {
        if (label->text() == QStringLiteral("接続先(&L)"))
            entryLabel = label;
        if (label->text() == QStringLiteral("起動アプリケーション(&E)"))
            applicationLabel = label;
    }
    ASSERT_NE(entryLabel, nullptr);
    ASSERT_NE(applicationLabel, nullptr);
    EXPECT_EQ(entryLabel->buddy(), main.GetDlgItem(1000));
    EXPECT_EQ(applicationLabel->buddy(), main.GetDlgItem(1012));

    CAboutDlg about(boxes);
    bool versionLine = false;
    for (const QLabel* label : about.findChildren<QLabel*>()) {
        const QString text = label->text();
        if (text.startsWith(QStringLiteral("telmaq")) && text.endsWith(QStringLiteral("Version 2.6")))
            versionLine = true;
    }
    EXPECT_TRUE(versionLine);
}

} // namespace
} // namespace telmaq
