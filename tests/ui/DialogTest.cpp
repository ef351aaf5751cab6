// Dialog templates laid out over Qt, and the three small dialogs built on them.
#include "ui/CAboutDlg.h"
#include "ui/CConnectingDlg.h"
#include "ui/CTimeDlg.h"
#include "ui/DialogFont.h"
#include "ui/DialogTemplates.h"
#include "ui/ProgramIcon.h"
#include "ui/UpDownControl.h"
#include "ui/WindowStyles.h"

#include "fakes/MessageBoxRecorder.h"
#include "support/WaitUntil.h"

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace telmaq {
namespace {

using test::MessageBoxRecorder;
using test::waitUntil;

struct CountingOwner : IConnectingDlgOwner
{
    void stopDialing() override { ++stops; }
    int stops = 0;
};

// Runs a dialog modally with the steps done inside its run, ending it with 99 if they did not.
int runModal(Dialog& dialog, const std::function<void()>& steps)
{
    QTimer::singleShot(0, &dialog, [&] {
        steps();
        if (dialog.isVisible())
            dialog.EndDialog(99);
    });
    return dialog.DoModal();
}

TEST(DialogTemplates, IdsAreUniqueAndTheMainWindowKeepsItsTabOrder)
{
    for (int id : {102, 129, 132, 100}) {
        std::set<int> ids;
        for (const auto& c : findDialogTemplate(id)->controls)
            EXPECT_TRUE(c.id < 0 || ids.insert(c.id).second) << "template " << id << " repeats id " << c.id;
    }
    EXPECT_EQ(findDialogTemplate(101), nullptr);
    std::vector<int> ids;
    for (const auto& c : mainDialogTemplate().controls)
        ids.push_back(c.id);
    ids.erase(std::remove(ids.begin(), ids.end(), IDC_STATIC), ids.end());
    EXPECT_EQ(ids, (std::vector<int>{1000, 1036, 1001, 1025, 1026, 1027, 1028, 1029, 1030, 1031, 1048, 1049,
                                     1041, 1050, 1051, 1011, 1012, 1019, 1013, 1035, 1032, 1033, 1052, 2}));
}

TEST(DialogUnits, BaseUnitsComeFromTheFontAndScaleEachSideWithRounding)
{
    // x: 10 * 7 / 4 = 17.5 -> 18; y: 20 * 15 / 8 = 37.5 -> 38; w: 3 * 7 / 4 = 5.25 -> 5.
    EXPECT_EQ(dialogUnitsToPixels(QRect(10, 20, 3, 8), QSize(7, 15)), QRect(18, 38, 5, 15));
    const QFont font = dialogFont(kDialogFontFace, 9);
    const QFontMetrics metrics(font);
    EXPECT_EQ(dialogBaseUnits(font).height(), metrics.height());
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    EXPECT_NEAR(dialogBaseUnits(font).width(), metrics.horizontalAdvance(letters) / 52.0, 1.0);
    // The set-up installs the IPA fonts; a Latin-only fallback would draw boxes for Japanese.
    EXPECT_TRUE(metrics.inFont(QChar(0x63A5)) && metrics.inFont(QChar(0xFF7D))); // 接, half-width ｽ
}

// Every control sits where its template puts it, in the dialog's own base units; up-down
// arrows take the right end of their buddy's rectangle, drop-down lists keep their own height,
// and a label's mnemonic leads to the control after it.
void expectControlsAtTheirTemplatePlaces(const Dialog& dialog)
{
    const DialogTemplate& t = dialog.dialogTemplate();
    const auto place = [&](std::size_t i) {
        const ControlTemplate& c = t.controls.at(i);
        return dialogUnitsToPixels(QRect(c.x, c.y, c.width, c.height), dialog.baseUnits());
    };
    EXPECT_EQ(dialog.size(), dialogUnitsToPixels(QRect(0, 0, t.width, t.height), dialog.baseUnits()).size());
    const auto children = dialog.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(children.size(), static_cast<qsizetype>(t.controls.size()));
    for (std::size_t i = 0; i < t.controls.size(); ++i) {
        const ControlTemplate& c = t.controls[i];
        const QWidget* w = children.at(static_cast<qsizetype>(i));
        SCOPED_TRACE(testing::Message() << "template " << t.id << " control #" << i << " id " << c.id);
        EXPECT_TRUE(c.id < 0 || w == dialog.GetDlgItem(c.id));
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
    }
}

TEST(DialogLayout, EveryDialogPutsItsControlsAtTheirTemplateRectangles)
{
    MessageBoxRecorder boxes;
    CountingOwner owner;
    CTimeDlg time(boxes);
    CAboutDlg about(boxes);
    Dialog main(mainDialogTemplate(), boxes);
    QPointer<CConnectingDlg> connecting = CConnectingDlg::create(owner, boxes, nullptr);
    for (const Dialog* dialog : std::initializer_list<const Dialog*>{&time, &about, &main, connecting})
        expectControlsAtTheirTemplatePlaces(*dialog);
    connecting->destroy();
    EXPECT_TRUE(waitUntil([&] { return connecting.isNull(); }));
}

// As drawn: each frame's top line runs through the middle of the title row at its template
// top, under the check box placed there, and no edge of a frame crosses another control.
TEST(DialogLayout, GroupFramesAreDrawnOnTheirTemplateEdgesAndCrossNoControl)
{
    MessageBoxRecorder boxes;
    for (int pointSize : {9, 16}) {
        DialogTemplate t = mainDialogTemplate();
        t.pointSize = pointSize;
        Dialog main(t, boxes);
        const QImage image = main.grab().toImage();
        for (const ControlTemplate& g : t.controls) {
            if (g.kind != ControlKind::GroupBox)
                continue;
            SCOPED_TRACE(testing::Message() << pointSize << " pt, frame at " << g.y);
            const QRect frame = dialogUnitsToPixels(QRect(g.x, g.y, g.width, g.height), main.baseUnits());
            int line = frame.top();
            while (line < frame.bottom() &&
                   image.pixel(frame.right() - 4, line) == image.pixel(frame.right() - 4, frame.top()))
                ++line;
            EXPECT_NEAR(line, frame.top() + QFontMetrics(main.font()).height() / 2, 2);
            for (const QWidget* w : main.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
                // The check box that titles the frame, and the frame itself or one around it.
                const bool exempt = w->geometry().top() == frame.top() || w->geometry().contains(frame);
                for (const QRect& edge : {QRect(frame.left(), line, frame.width(), 1),
                                          QRect(frame.left(), frame.bottom(), frame.width(), 1),
                                          QRect(frame.left(), line, 1, frame.bottom() - line),
                                          QRect(frame.right(), line, 1, frame.bottom() - line)})
                    EXPECT_FALSE(!exempt && w->geometry().intersects(edge)) << w->metaObject()->className() << w->y();
            }
        }
    }
}

// ---- the time-setting dialog

constexpr int kHours = 1042, kMinutes = 1044, kSeconds = 1046;

class TimeDlgTest : public ::testing::Test
{
protected:
    TimeDlgTest()
    {
        dialog.m_strCaption = "自動接続時刻の設定";
        dialog.m_nHour = 7;
        dialog.m_nMinute = 5;
    }
    QLineEdit* edit(int id) { return qobject_cast<QLineEdit*>(dialog.GetDlgItem(id)); }
    void press(int id) { qobject_cast<QPushButton*>(dialog.GetDlgItem(id))->click(); }
    std::tuple<int, int, int> values() const { return {dialog.m_nHour, dialog.m_nMinute, dialog.m_nSecond}; }

    MessageBoxRecorder boxes;
    CTimeDlg dialog{boxes};
};

TEST_F(TimeDlgTest, OpensWithTheCallersValuesAndHandsBackTheTypedTimeOnOkOnly)
{
    QStringList shown;
    std::vector<int> ranges;
    EXPECT_EQ(runModal(dialog,
                       [&] {
                           shown << dialog.windowTitle();
                           for (int field : {kHours, kMinutes, kSeconds}) {
                               shown << edit(field)->text();
                               auto* upDown = qobject_cast<UpDownControl*>(dialog.GetDlgItem(field + 1));
                               ranges.insert(ranges.end(), {upDown->lower(), upDown->upper()});
                           }
                           edit(kHours)->clear();
                           QTest::keyClicks(edit(kHours), QStringLiteral("2a-3"));
                           edit(kMinutes)->setText(QStringLiteral("59"));
                           edit(kSeconds)->setText(QStringLiteral("58"));
                           QTest::keyClick(edit(kSeconds), Qt::Key_Return);
                       }),
              IDOK);
    EXPECT_EQ(shown, (QStringList{"自動接続時刻の設定", "7", "5", "0"}));
    EXPECT_EQ(ranges, (std::vector<int>{0, 23, 0, 59, 0, 59}));
    EXPECT_EQ(values(), std::tuple(23, 59, 58)) << "the edits take digits only";
    EXPECT_EQ(runModal(dialog,
                       [&] {
                           // A refused OK on the way must not leak the typed hours either.
                           edit(kHours)->setText(QStringLiteral("12"));
                           edit(kMinutes)->setText(QStringLiteral("99"));
                           press(IDOK);
                           QTest::keyClick(&dialog, Qt::Key_Escape);
                       }),
              IDCANCEL);
    EXPECT_EQ(values(), std::tuple(23, 59, 58));
}

TEST_F(TimeDlgTest, ARefusedFieldNamesItsRangeOverTheDialogAndTakesTheFocusWithItsTextSelected)
{
    // The empty minutes after the refused hours are not read: only the first failing field speaks.
    using Case = std::tuple<int, const char*, const char*>;
    for (const auto& [field, typed, message] :
         {Case{kHours, "24", "0 から 23 までの整数を入力してください。"},
          Case{kMinutes, "60", "0 から 59 までの整数を入力してください。"},
          Case{kSeconds, "75", "0 から 59 までの整数を入力してください。"},
          Case{kMinutes, "", "整数を入力してください。"}, Case{kSeconds, "99999999999", "整数を入力してください。"}}) {
        boxes.shown.clear();
        std::tuple<bool, QWidget*, QString> afterOk;
        EXPECT_EQ(runModal(dialog,
                           [&, field = field, typed = typed] {
                               for (int f : {kHours, kMinutes, kSeconds})
                                   edit(f)->setText(QStringLiteral("1"));
                               edit(field)->setText(QString::fromUtf8(typed));
                               if (field == kHours)
                                   edit(kMinutes)->clear();
                               dialog.GetDlgItem(field == kSeconds ? kHours : kSeconds)->setFocus();
                               press(IDOK);
                               afterOk = {dialog.isVisible(), dialog.focusWidget(), edit(field)->selectedText()};
                               press(IDCANCEL);
                           }),
                  IDCANCEL);
        EXPECT_EQ(afterOk, std::tuple(true, dialog.GetDlgItem(field), QString::fromUtf8(typed))) << message;
        ASSERT_EQ(boxes.texts(), std::vector<std::string>{message});
        EXPECT_EQ(std::tuple(boxes.shown[0].title, boxes.shown[0].style, boxes.shown[0].owner),
                  std::tuple("telmaq", 0x30u, static_cast<QWidget*>(&dialog)));
    }
}

// ---- the connecting dialog

TEST(ConnectingDlg, ShowsCaptionAndStatusAndGoesQuietlyWhenTheConnectTakesItDown)
{
    QWidget window;
    CountingOwner owner;
    MessageBoxRecorder boxes;
    QPointer<CConnectingDlg> dialog = CConnectingDlg::create(owner, boxes, &window);
    EXPECT_EQ(std::tuple(dialog->isVisible(), dialog->windowTitle(), dialog->parentWidget()),
              std::tuple(true, QStringLiteral("接続中"), &window));
    EXPECT_TRUE(qobject_cast<QPushButton*>(dialog->GetDlgItem(IDCANCEL))->isDefault());
    IConnectingView* view = dialog;
    view->setCaption("ﾌﾟﾛﾊﾞｲﾀﾞ に接続");
    view->setStatusText("ダイヤル 1\nリダイヤルまであと 30 秒");
    auto* status = qobject_cast<QLabel*>(dialog->GetDlgItem(1034));
    EXPECT_EQ(std::tuple(dialog->windowTitle(), status->text()),
              std::tuple(QStringLiteral("ﾌﾟﾛﾊﾞｲﾀﾞ に接続"), QStringLiteral("ダイヤル 1\nリダイヤルまであと 30 秒")));
    EXPECT_GE(status->height(), 2 * status->fontMetrics().lineSpacing()) << "both lines fit";
    view->placeInFront(40, 30);
    const ScreenRect rect = view->windowRect();
    EXPECT_EQ(std::tuple(rect.left, rect.top, rect.width()), std::tuple(40, 30, dialog->frameGeometry().width()));
    view->destroy();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(waitUntil([&] { return dialog.isNull(); }));
    EXPECT_EQ(owner.stops, 0) << "nothing is asked of the owner";
}

TEST(ConnectingDlg, CancelCloseBoxEscAndEnterEachStopTheDialAndFreeTheDialog)
{
    QWidget window;
    MessageBoxRecorder boxes;
    for (const auto& cancel : std::initializer_list<std::function<void(CConnectingDlg&)>>{
             [](CConnectingDlg& d) { qobject_cast<QPushButton*>(d.GetDlgItem(IDCANCEL))->click(); },
             [](CConnectingDlg& d) { d.close(); }, [](CConnectingDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); },
             [](CConnectingDlg& d) {
                 d.GetDlgItem(IDCANCEL)->setFocus();
                 QTest::keyClick(&d, Qt::Key_Return);
             }}) {
        CountingOwner owner;
        QPointer<CConnectingDlg> dialog = CConnectingDlg::create(owner, boxes, &window);
        cancel(*dialog);
        ASSERT_FALSE(dialog.isNull());
        EXPECT_EQ(std::tuple(dialog->isVisible(), dialog->isWindowAlive(), owner.stops > 0),
                  std::tuple(false, false, true));
        EXPECT_TRUE(waitUntil([&] { return dialog.isNull(); }));
    }
    EXPECT_TRUE(boxes.shown.empty());
}

TEST(ConnectingDlg, AnOwnerThatGoesFirstTakesTheDialogWithIt)
{
    CountingOwner owner;
    MessageBoxRecorder boxes;
    for (const bool destroyedFirst : {true, false}) {
        auto window = std::make_unique<QWidget>();
        QPointer<CConnectingDlg> dialog = CConnectingDlg::create(owner, boxes, window.get());
        // The owner goes before the deferred free runs; the dialog must be freed exactly once.
        if (destroyedFirst)
            dialog->destroy();
        window.reset();
        EXPECT_TRUE(dialog.isNull());
        QTest::qWait(20);
    }
}

// ---- the About box and the icon

TEST(AboutDlg, ShowsTheIconNameVersionAndNoticeAndClosesOnOkOrEsc)
{
    MessageBoxRecorder boxes;
    CAboutDlg about(boxes);
    QStringList texts{about.windowTitle()};
    for (const QLabel* label : about.findChildren<QLabel*>())
        texts << (label->pixmap().isNull() ? label->text().left(6) + label->text().right(11) : QStringLiteral("icon"));
    EXPECT_EQ(texts.mid(0, 3), (QStringList{"ﾊﾞｰｼﾞｮﾝ情報", "icon", "telmaqVersion 2.6"}));
    ASSERT_EQ(texts.size(), 4);
    EXPECT_FALSE(texts[3].trimmed().isEmpty());
    EXPECT_EQ(runModal(about, [&] { qobject_cast<QPushButton*>(about.GetDlgItem(IDOK))->click(); }), IDOK);
    EXPECT_EQ(runModal(about, [&] { QTest::keyClick(&about, Qt::Key_Escape); }), IDCANCEL);
    EXPECT_TRUE(boxes.shown.empty());
}

// Built in from 16 to 256 pixels; in the About box and the connecting dialog it fills its
// square at any font size, at the screen's own pixel ratio.
TEST(ProgramIcon, IsBuiltInAndFillsItsTemplateSquareInTheDialogs)
{
    for (int size : {16, 32, 48, 256})
        EXPECT_EQ(programIcon().pixmap(size, size).size(), QSize(size, size)) << size;
    MessageBoxRecorder boxes;
    for (const DialogTemplate* shown : {&aboutDialogTemplate(), &connectingDialogTemplate()}) {
        for (int pointSize : {9, 24}) {
            DialogTemplate t = *shown;
            t.pointSize = pointSize;
            Dialog dialog(t, boxes);
            const ControlTemplate& icon = t.controls.front();
            const QRect square =
                dialogUnitsToPixels(QRect(icon.x, icon.y, icon.width, icon.height), dialog.baseUnits());
            const int side = qMin(square.width(), square.height());
            const QPixmap pixmap = dialog.findChildren<QLabel*>().constFirst()->pixmap();
            EXPECT_EQ(std::tuple(icon.kind, pixmap.deviceIndependentSize().toSize(), pixmap.devicePixelRatio()),
                      std::tuple(ControlKind::Icon, QSize(side, side), dialog.devicePixelRatioF()))
                << t.id << " at " << pointSize << " pt";
        }
    }
}

} // namespace
} // namespace telmaq
