#include "ui/CAboutDlg.h"
#include "ui/DialogFont.h"
#include "ui/DialogTemplates.h"
#include "ui/ProgramIcon.h"
#include "ui/WindowStyles.h"

#include "fakes/MessageBoxRecorder.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace telmaq {
namespace {

TEST(AboutDlg, ShowsTheIconNameVersionAndNoticeAndClosesOnOkOrEsc)
{
    test::MessageBoxRecorder boxes;
    CAboutDlg about(boxes);
    EXPECT_EQ(about.windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    int pictures = 0;
    QStringList texts;
    for (const QLabel* label : about.findChildren<QLabel*>()) {
        if (!label->pixmap().isNull())
            ++pictures;
        else
            texts << label->text();
    }
    EXPECT_EQ(pictures, 1);
    ASSERT_EQ(texts.size(), 2);
    EXPECT_TRUE(texts[0].startsWith(QStringLiteral("telmaq")));
    EXPECT_TRUE(texts[0].endsWith(QStringLiteral("Version 2.6")));
    EXPECT_FALSE(texts[1].trimmed().isEmpty());

    // OK and Esc both close it.
    CAboutDlg first(boxes);
    QTimer::singleShot(0, &first, [&] { qobject_cast<QPushButton*>(first.GetDlgItem(IDOK))->click(); });
    EXPECT_EQ(first.DoModal(), IDOK);

    CAboutDlg second(boxes);
    QTimer::singleShot(0, &second, [&] { QTest::keyClick(&second, Qt::Key_Escape); });
    EXPECT_EQ(second.DoModal(), IDCANCEL);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST(ProgramIcon, IsBuiltInFromSixteenToTwoHundredFiftySixPixels)
{
    const QIcon icon = programIcon();
    ASSERT_FALSE(icon.isNull());
    for (int size : {16, 32, 48, 256}) {
        const QPixmap pixmap = icon.pixmap(size, size);
        EXPECT_EQ(pixmap.size(), QSize(size, size)) << size;
    }
}

// The About box's and the connecting dialog's icons fill their square at any font size, at
// the screen's own pixel ratio.
TEST(ProgramIcon, FillsItsTemplateSquareInTheDialogs)
{
    test::MessageBoxRecorder boxes;
    for (const DialogTemplate* shown : {&aboutDialogTemplate(), &connectingDialogTemplate()}) {
        for (int pointSize : {9, 24}) {
            DialogTemplate t = *shown;
            t.pointSize = pointSize;
            Dialog dialog(t, boxes);
            const ControlTemplate& icon = t.controls.front();
            ASSERT_EQ(icon.kind, ControlKind::Icon);
            const QRect square =
                dialogUnitsToPixels(QRect(icon.x, icon.y, icon.width, icon.height), dialog.baseUnits());
            const QLabel* label = dialog.findChildren<QLabel*>().constFirst();
            EXPECT_EQ(label->pixmap().deviceIndependentSize().toSize(),
                      QSize(qMin(square.width(), square.height()), qMin(square.width(), square.height())))
                << t.id << " at " << pointSize << " pt";
            EXPECT_EQ(label->pixmap().devicePixelRatio(), dialog.devicePixelRatioF());
        }
    }
}

} // namespace
} // namespace telmaq
