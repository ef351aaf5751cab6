// The user interface over Qt: dialogs laid out from their templates, the three small dialogs,
// our own controls, the system menu, the event pump that keeps the window alive during a dial,
// Qt's own windows as the program shows them, and the main window over fakes.
#include "ui/ApplicationLook.h"
#include "ui/CConnectingDlg.h"
#include "ui/CTimeDlg.h"
#include "ui/DialDlg.h"
#include "ui/DialogFont.h"
#include "ui/DialogTemplates.h"
#include "ui/EventPump.h"
#include "ui/MessageBox.h"
#include "ui/ProgramIcon.h"
#include "ui/SortedComboBox.h"
#include "ui/SystemMenu.h"
#include "ui/UpDownControl.h"
#include "ui/WindowManagerHints.h"

#include "dialup/DialupLists.h"
#include "dialup/HiveValues.h"
#include "dialup/RasErrorText.h"
#include "dialup/SystemDialupSettings.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDialupService.h"
#include "fakes/FakeHistory.h"
#include "fakes/FakeProcessLauncher.h"
#include "fakes/MessageBoxRecorder.h"
#include "support/TempEnvironment.h"
#include "support/WaitUntil.h"

#include <QTest>
#include <QtWidgets>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <thread>

namespace telmaq::test {
namespace {

struct CountingOwner : IConnectingDlgOwner
{
    void stopDialing() override { ++stops; }
    int stops = 0;
};

// Acts on each modal dialog that opens, from inside its modal run, and notes its class. The
// action is taken again while the dialog stays open, so a dialog that should have closed and
// did not fails the test instead of hanging it.
struct ModalWatcher
{
    explicit ModalWatcher(std::function<void(QDialog*)> act)
    {
        QObject::connect(&timer, &QTimer::timeout, [this, act] {
            if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                seen.push_back(modal->metaObject()->className());
                act(modal);
            }
        });
        timer.start(5);
    }
    std::vector<std::string> seen;
    QTimer timer;
};

// Every control sits where its template puts it, in the dialog's own base units; up-down
// arrows take the right end of their buddy's rectangle, drop-down lists keep their own height,
// a label's mnemonic leads to the control after it, and the program icon fills its square at
// the screen's own pixel ratio. As drawn, each group frame's top line runs through the middle of
// the title row at its template top, under the check box placed there, and no edge of a frame
// crosses another control. Answers how many icons it saw.
int expectControlsAtTheirTemplatePlaces(Dialog& dialog)
{
    const QImage image = dialog.grab().toImage();
    const DialogTemplate& t = dialog.dialogTemplate();
    const auto place = [&](std::size_t i) {
        const ControlTemplate& c = t.controls.at(i);
        return dialogUnitsToPixels(QRect(c.x, c.y, c.width, c.height), dialog.baseUnits());
    };
    EXPECT_EQ(dialog.size(), dialogUnitsToPixels(QRect(0, 0, t.width, t.height), dialog.baseUnits()).size());
    const auto children = dialog.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    EXPECT_EQ(children.size(), static_cast<qsizetype>(t.controls.size()));
    int icons = 0;
    for (std::size_t i = 0; i < t.controls.size() && i < static_cast<std::size_t>(children.size()); ++i) {
        const ControlTemplate& c = t.controls[i];
        const QWidget* w = children.at(static_cast<qsizetype>(i));
        SCOPED_TRACE(testing::Message() << "template " << t.id << " at " << t.pointSize << " pt, control #" << i);
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
        if (c.kind == ControlKind::Icon) {
            const QPixmap pixmap = qobject_cast<const QLabel*>(w)->pixmap();
            const int side = qMin(place(i).width(), place(i).height());
            EXPECT_EQ(std::tuple(pixmap.deviceIndependentSize().toSize(), pixmap.devicePixelRatio()),
                      std::tuple(QSize(side, side), dialog.devicePixelRatioF()));
            ++icons;
        }
        if (c.kind == ControlKind::GroupBox) {
            const QRect frame = place(i);
            int line = frame.top();
            while (line < frame.bottom() &&
                   image.pixel(frame.right() - 4, line) == image.pixel(frame.right() - 4, frame.top()))
                ++line;
            EXPECT_NEAR(line, frame.top() + QFontMetrics(dialog.font()).height() / 2, 2);
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

// ---- the time-setting dialog

constexpr int kHours = 1042, kMinutes = 1044, kSeconds = 1046;

// OK hands back the typed time, digits only. Then a field out of its range, or no number, is
// named over the dialog, which stays open with the field focused and its text selected; Esc
// leaves the caller's time as it was, fields read before the refused one included. Only the
// first failing field speaks: the empty minutes after refused hours are not read.
TEST(TimeDlg, OpensWithTheCallersTimeRefusesAFieldOutOfRangeAndHandsBackTheTypedTimeOnOkOnly)
{
    MessageBoxRecorder boxes;
    CTimeDlg dialog(boxes);
    dialog.m_strCaption = "自動接続時刻の設定";
    dialog.m_nHour = 7;
    dialog.m_nMinute = 5;
    const auto edit = [&](int id) { return qobject_cast<QLineEdit*>(dialog.GetDlgItem(id)); };
    const auto values = [&] { return std::tuple(dialog.m_nHour, dialog.m_nMinute, dialog.m_nSecond); };
    QStringList shown;
    std::vector<int> ranges; // of the arrows
    ModalWatcher opened([&](QDialog*) {
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
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    opened.timer.stop();
    EXPECT_EQ(shown, (QStringList{"自動接続時刻の設定", "7", "5", "0"}));
    EXPECT_EQ(ranges, (std::vector<int>{0, 23, 0, 59, 0, 59}));
    EXPECT_EQ(values(), std::tuple(23, 59, 58));

    using Case = std::tuple<int, const char*, const char*>;
    for (const auto& [field, typed, message] :
         {Case{kHours, "24", "0 から 23 までの整数を入力してください。"},
          Case{kMinutes, "60", "0 から 59 までの整数を入力してください。"},
          Case{kSeconds, "75", "0 から 59 までの整数を入力してください。"},
          Case{kMinutes, "", "整数を入力してください。"}, Case{kSeconds, "99999999999", "整数を入力してください。"}}) {
        boxes.shown.clear();
        std::tuple<bool, QWidget*, QString> afterOk;
        ModalWatcher watcher([&, field = field, typed = typed](QDialog*) {
            for (int f : {kHours, kMinutes, kSeconds})
                edit(f)->setText(QStringLiteral("1"));
            edit(field)->setText(QString::fromUtf8(typed));
            if (field == kHours)
                edit(kMinutes)->clear();
            dialog.GetDlgItem(field == kSeconds ? kHours : kSeconds)->setFocus();
            qobject_cast<QPushButton*>(dialog.GetDlgItem(IDOK))->click();
            afterOk = {dialog.isVisible(), dialog.focusWidget(), edit(field)->selectedText()};
            QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        EXPECT_EQ(afterOk, std::tuple(true, dialog.GetDlgItem(field), QString::fromUtf8(typed))) << message;
        EXPECT_EQ(values(), std::tuple(23, 59, 58)) << message;
        ASSERT_EQ(boxes.texts(), std::vector<std::string>{message});
        EXPECT_EQ(std::tuple(boxes.shown[0].title, boxes.shown[0].style, boxes.shown[0].owner),
                  std::tuple("telmaq", 0x30u, static_cast<QWidget*>(&dialog)));
    }
}

// ---- the connecting dialog

// However it goes, it goes once. The connect's own destroy asks nothing of the owner; Cancel,
// the close box and Esc stop the dial and free the dialog only after their own click; an owner
// window that goes first takes the dialog with it, destroyed or not.
TEST(ConnectingDlg, ShowsTheStatusAndIsFreedOnceHoweverItEnds)
{
    MessageBoxRecorder boxes;
    std::unique_ptr<QWidget> window;
    using Case = std::tuple<const char*, std::function<void(CConnectingDlg&)>, bool>; // how, end, stops the dial
    for (const auto& [how, end, stops] :
         {Case{"destroy", [](CConnectingDlg& d) { d.destroy(); }, false},
          Case{"Cancel", [](CConnectingDlg& d) { qobject_cast<QPushButton*>(d.GetDlgItem(IDCANCEL))->click(); }, true},
          Case{"close box", [](CConnectingDlg& d) { d.close(); }, true},
          Case{"Esc", [](CConnectingDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); }, true},
          Case{"owner window", [&](CConnectingDlg&) { window.reset(); }, false},
          Case{"destroy, owner window",
               [&](CConnectingDlg& d) {
                   d.destroy();
                   window.reset();
               },
               false}}) {
        window = std::make_unique<QWidget>();
        CountingOwner owner;
        QPointer<CConnectingDlg> dialog = CConnectingDlg::create(owner, boxes, window.get());
        IConnectingView* view = dialog;
        view->setStatusText("ダイヤル 1\nリダイヤルまであと 30 秒");
        auto* status = qobject_cast<QLabel*>(dialog->GetDlgItem(1034));
        EXPECT_EQ(status->text(), QStringLiteral("ダイヤル 1\nリダイヤルまであと 30 秒"));
        EXPECT_GE(status->height(), 2 * status->fontMetrics().lineSpacing()) << "both lines fit";
        view->placeInFront(40, 30);
        EXPECT_EQ(std::tuple(view->windowRect().left, view->windowRect().top), std::tuple(40, 30));
        end(*dialog);
        // Freed at once only along with the owner window, never from inside a click.
        EXPECT_EQ(dialog.isNull(), !window) << how;
        EXPECT_FALSE(dialog && (dialog->isVisible() || dialog->isWindowAlive())) << how;
        EXPECT_TRUE(waitUntil([&] { return dialog.isNull(); })) << how;
        EXPECT_EQ(owner.stops > 0, stops) << how;
    }
    EXPECT_TRUE(boxes.shown.empty());
}

// ---- our own controls

QStringList items(const QComboBox& combo)
{
    QStringList result;
    for (int i = 0; i < combo.count(); ++i)
        result << combo.itemText(i);
    return result;
}

TEST(SortedComboBox, SortsIgnoringCaseInAJapaneseReadersOrderAndFindsWholeTexts)
{
    SortedComboBox combo;
    for (const char* name : {"zeta", "Alpha", "beta", "ALPHA2", "さくら回線", "アサヒネット", "かもめ", "いなか"})
        combo.addSortedItem(QString::fromUtf8(name));
    // Latin before kana, hiragana in gojūon order, katakana beside the matching hiragana.
    EXPECT_EQ(items(combo),
              (QStringList{"Alpha", "ALPHA2", "beta", "zeta", "アサヒネット", "いなか", "かもめ", "さくら回線"}));
    std::vector<int> found; // a prefix is not a match
    for (const char* text : {"alpha", "いなか", "Alp", ""})
        found.push_back(combo.findStringExact(QString::fromUtf8(text)));
    EXPECT_EQ(found, (std::vector<int>{0, 5, -1, -1}));
    // Items that differ only in case keep one fixed order, not the order they were added in.
    SortedComboBox a, b;
    a.addSortedItem(QStringLiteral("abc"));
    a.addSortedItem(QStringLiteral("ABC"));
    b.addSortedItem(QStringLiteral("ABC"));
    b.addSortedItem(QStringLiteral("abc"));
    EXPECT_EQ(items(a), items(b));
}

TEST(UpDownControl, ArrowsAndKeysStepTheBuddyStopAtTheBoundsAndMendOddTexts)
{
    QLineEdit buddy;
    UpDownControl upDown;
    upDown.setBuddy(&buddy);
    upDown.setRange(0, 23);
    const auto up = [&] { upDown.upButton()->click(); };
    const auto down = [&] { upDown.downButton()->click(); };
    const auto key = [&](Qt::Key k) { return [&buddy, k] { QTest::keyClick(&buddy, k); }; };
    using Step = std::tuple<const char*, std::function<void()>, const char*>;
    // A value out of range steps from the bound; no number at all from the last value shown.
    for (const auto& [before, press, after] :
         {Step{"22", up, "23"}, Step{"23", up, "23"}, Step{"0", down, "0"}, Step{"0", key(Qt::Key_Up), "1"},
          Step{"1", key(Qt::Key_Down), "0"}, Step{"75", down, "22"}, Step{"", up, "23"},
          Step{"99999999999999", up, "23"}}) {
        buddy.setText(QString::fromUtf8(before));
        press();
        EXPECT_EQ(buddy.text(), QString::fromUtf8(after)) << before;
    }
}

// ---- the system menu

// Each item as its text and its id in hex; "-" for a separator, the text alone for a sub-menu.
QStringList items(const QMenu* menu)
{
    QStringList out;
    for (QAction* a : menu->actions()) {
        const QString id = a->menu() ? QString() : ' ' + QString::number(a->data().toUInt(), 16);
        out << (a->isSeparator() ? QStringLiteral("-") : a->text() + id);
    }
    return out;
}

TEST(SystemMenu, AddsTheEntriesBelowTheWindowCommandIdsConnectDisconnectAndAbout)
{
    QWidget window;
    CSystemMenu menu(&window), bare(&window);
    menu.build({"A", "R&D", "C"}, 1, "ﾊﾞｰｼﾞｮﾝ情報 (&A)...");
    bare.build(std::vector<std::string>(3836, "entry"), 3835, "");
    EXPECT_EQ(items(menu.menu()), (QStringList{"元のサイズに戻す(&R) f120", "移動(&M) f010", "サイズ変更(&S) f000",
                                               "最小化(&N) f020", "最大化(&X) f030", "-", "閉じる(&C) f060", "-",
                                               "接続先(&L)", "接続(&E) 30", "切断(&F) 40", "ﾊﾞｰｼﾞｮﾝ情報 (&A)... 10"}));
    // An ampersand in an entry's name is no mnemonic.
    EXPECT_EQ(items(menu.entryMenu()), (QStringList{"A 50", "R&&D 60", "C 70"}));
    // Without an About text the menu ends with Disconnect. The 3,836th entry would have had
    // SC_SIZE's id: it is not listed, so Size stays Size.
    EXPECT_EQ(items(bare.menu()).mid(2),
              (QStringList{"サイズ変更(&S) f000", "最小化(&N) f020", "最大化(&X) f030", "-", "閉じる(&C) f060", "-",
                           "接続先(&L)", "接続(&E) 30", "切断(&F) 40"}));
    EXPECT_EQ(std::tuple(bare.entryItemCount(), items(bare.entryMenu()).last()),
              std::tuple(3835, QStringLiteral("entry eff0")));
}

// A mark in front of the chosen entry alone, as drawn: nothing, not an empty box, in front of
// the others; marks follow the last choice, and a position beyond the list is ignored.
TEST(SystemMenu, MarksTheChosenEntryAloneAsDrawn)
{
    QWidget window;
    CSystemMenu menu(&window);
    menu.build({"A", "B", "C", "D"}, 2, "");
    menu.checkEntry(2, false);
    menu.checkEntry(0, true);
    menu.checkEntry(7, true);
    QMenu* entries = menu.entryMenu();
    entries->adjustSize();
    const QImage image = entries->grab().toImage();
    std::vector<bool> marked;
    for (int i = 0; i < 4; ++i) {
        const QRect row = entries->actionGeometry(entries->actions().at(i));
        const QRgb background = image.pixel(row.right() - 2, row.center().y());
        QImage front = image.copy(row.left() + 2, row.top() + 1, row.height() - 2, row.height() - 2), blank = front;
        blank.fill(background);
        marked.push_back(front != blank);
        EXPECT_EQ(menu.isEntryChecked(i), marked.back()) << i;
    }
    EXPECT_EQ(marked, (std::vector<bool>{true, false, false, false}));

    // The mark is a plain check item's check mark, not the round mark of one of many.
    QMenu plain;
    QAction* check = plain.addAction(entries->actions().at(0)->text());
    check->setCheckable(true);
    check->setChecked(true);
    plain.adjustSize();
    const auto mark = [](QMenu* menu) {
        const QRect row = menu->actionGeometry(menu->actions().at(0));
        return menu->grab().toImage().copy(row.left() + 2, row.top() + 1, row.height() - 2, row.height() - 2);
    };
    EXPECT_EQ(mark(entries), mark(&plain));
}

// ---- the event pump

// Far longer than any of these waits should take, so that a wait that ends early can only
// have been ended by what the test did; no test asserts how fast that was.
constexpr int kLongWait = 60000;

// A wake ends a wait at once, whether it came before the wait, during it or before a pump.
TEST(EventPump, WakesAtOnceWaitsWithoutSpinningPumpsWhatIsWaitingAndStopsWhenQuitting)
{
    EventPump pump;
    QElapsedTimer clock;
    clock.start();
    pump.wake();
    EXPECT_TRUE(pump.waitAndPump(kLongWait));
    // Pumping in between does not swallow the wake: the procedure that pumps before it waits
    // has not looked at the report that came with it yet.
    pump.wake();
    EXPECT_TRUE(pump.pumpPendingMessages() && pump.waitAndPump(kLongWait));
    std::thread notifier([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        pump.wake();
    });
    EXPECT_TRUE(pump.waitAndPump(kLongWait));
    notifier.join();
    EXPECT_LT(clock.elapsed(), kLongWait);
    // With nothing to do, a wait sleeps: a handful of passes fill 50 ms where a pump that
    // spun would go round thousands of times.
    clock.restart();
    int passes = 0;
    for (; clock.elapsed() < 50; ++passes)
        ASSERT_TRUE(pump.waitAndPump(50));
    EXPECT_LT(passes, 100);
    bool ran = false;
    QTimer::singleShot(10, [&] { ran = true; });
    while (!ran)
        ASSERT_TRUE(pump.waitAndPump(kLongWait));
    QTimer::singleShot(0, [&] { ran = false; });
    for (int i = 0; i < 1000 && ran; ++i)
        ASSERT_TRUE(pump.pumpPendingMessages());
    EXPECT_FALSE(ran) << "pumping handles what is waiting";
    // Asked to quit, or once the application is quitting, it stops.
    EventPump other;
    pump.requestQuit();
    EXPECT_FALSE(pump.pumpPendingMessages() || pump.waitAndPump(kLongWait));
    QEvent quit(QEvent::Quit);
    QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
    EXPECT_TRUE(other.isQuitting() && !other.pumpPendingMessages());
}

// A desktop whose style puts stock icons on dialog buttons, as several do.
class IconsOnButtonsStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        return hint == SH_DialogButtonBox_ButtonsHaveIcons ? 1
                                                           : QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// The look stays applied for the main window's tests after this one.
TEST(QtLook, FileDialogAndEditMenuReadInJapaneseAndMessageBoxesShowNamesAsPlainTextWithPlainButtons)
{
    QApplication::setStyle(new IconsOnButtonsStyle);
    applyApplicationLook(*static_cast<QApplication*>(QCoreApplication::instance()));
    QFileDialog files;
    files.setOption(QFileDialog::DontUseNativeDialog, true);
    files.setFileMode(QFileDialog::ExistingFile);
    QStringList texts;
    for (const char* name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"})
        texts << files.findChild<QLabel*>(QLatin1String(name))->text();
    for (QPushButton* button : files.findChildren<QPushButton*>())
        texts << button->text();
    QLineEdit edit(QStringLiteral("text"));
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    for (QAction* action : menu->actions())
        texts << action->text();
    for (const QString& text : texts) // empty for separators and icon-only buttons
        EXPECT_TRUE(text.isEmpty() ||
                    std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x3000; }))
            << text.toStdString();
    // In the dialog font, not as rich text that would draw the markup in a name or load a file.
    const std::string text = "「<b>x</b><img src=\"/etc/hostname\">」に接続されています";
    for (const bool owned : {false, true}) {
        const std::unique_ptr<QWidget> owner(owned ? new QWidget : nullptr);
        std::tuple<QString, Qt::TextFormat, QStringList, bool, int> seen;
        ModalWatcher watcher([&](QDialog* box) {
            auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            const auto buttons = qobject_cast<QMessageBox*>(box)->buttons();
            seen = {label->text(), label->textFormat(), label->font().families(), QFontInfo(label->font()).fixedPitch(),
                    static_cast<int>(std::count_if(buttons.begin(), buttons.end(),
                                                   [](QAbstractButton* b) { return !b->icon().isNull(); }))};
            box->accept();
        });
        EXPECT_EQ(QtMessageBox().messageBox(owner.get(), text, "telmaq", MB_ICONEXCLAMATION), IDOK);
        EXPECT_EQ(seen, std::tuple(QString::fromStdString(text), Qt::PlainText, dialogFontFamilies(kDialogFontFace),
                                   false, 0));
    }
}

// ---- the main window

class DialDlgTest : public ::testing::Test
{
protected:
    void addEntries(const std::vector<std::string>& names)
    {
        for (const auto& name : names)
            service.addEntry(name, {"0123", "user", "secret", ""});
    }
    void setProfile(const std::string& name)
    {
        storeValue(hive, "RemoteAccess", "InternetProfile", REG_SZ, name + '\0');
    }

    // Makes the window as start-up does (entries listed, the default entry as m_strEntry),
    // lets the test set members as the stored settings would, then initialises and shows it.
    void open(const std::function<void(CDialDlg&)>& configure = {})
    {
        EXPECT_EQ(lists.EnumEntries(), 0u);
        dlg = std::make_unique<CDialDlg>(
            DialDlgPorts{service, lists, errorText, settings, launcher, clock, boxes, history},
            [this](const DialDlgState& state) { saves.push_back(state); });
        const char* entry = settings.ReadInternetProfile();
        dlg->m_strEntry = entry ? entry : "";
        if (configure)
            configure(*dlg);
        dlg->Create();
        dlg->show();
    }

    void click(int id) { qobject_cast<QAbstractButton*>(dlg->GetDlgItem(id))->click(); }
    // The entry list as shown, "[selected]" and "checked*" in the sub-menu, whose items must
    // be the list's.
    std::string entries() const
    {
        std::string shown;
        for (int i = 0; i < dlg->entryCount(); ++i) {
            const std::string name = dlg->entryText(i);
            EXPECT_EQ(dlg->systemMenu().entryMenu()->actions().at(i)->text().toStdString(), name);
            shown += (i == dlg->currentEntry() ? "[" + name + "]" : name) +
                     (dlg->systemMenu().isEntryChecked(i) ? "* " : " ");
        }
        return shown;
    }

    TempEnvironment env;
    SqliteHive hive{env.hivePath()};
    FakeDialupService service;
    DialupLists lists{service};
    RasErrorText errorText{service};
    SystemDialupSettings settings{hive};
    FakeProcessLauncher launcher;
    FakeClock clock;
    MessageBoxRecorder boxes;
    FakeHistory history;
    std::vector<DialDlgState> saves;
    std::unique_ptr<CDialDlg> dlg;
};

TEST_F(DialDlgTest, OpensOnTheDefaultEntryFoundIgnoringCaseElseOnTheFirstWhichBecomesTheDefault)
{
    addEntries({"Zeta", "alpha", "Mike"});
    using Case = std::tuple<const char*, const char*, const char*>;
    for (const auto& [stored, shown, entry] :
         {Case{"Mike", "alpha [Mike]* Zeta ", "Mike"}, Case{"MIKE", "alpha [Mike]* Zeta ", "MIKE"},
          Case{"Gone", "[alpha]* Mike Zeta ", "alpha"}}) {
        setProfile(stored);
        open();
        EXPECT_EQ(entries(), shown) << stored;
        EXPECT_EQ(dlg->m_strEntry, entry) << stored;
        EXPECT_STREQ(settings.ReadInternetProfile(), entry) << stored;
    }
}

TEST_F(DialDlgTest, ShowsTheStoredSettingsAndEnablesControlsByTheirCheckBoxes)
{
    addEntries({"A"});
    for (const auto& [name, value] :
         {std::pair{"EnableRedial", 1u}, {"RedialTry", 10u}, {"RedialWait", 2u << 16 | 30u}})
        storeValue(hive, "RemoteAccess", name, REG_DWORD, le32(value));
    open([](CDialDlg& d) {
        d.m_bConnecting = d.m_bDisconnecting = d.m_bInteractive = d.m_bMoved = true;
        d.m_bAutoConnection = false;
        d.m_bAutoDisconnection = d.m_bCheckWed = d.m_bApplicationDisconnection = true;
        d.m_strApplicationFile = "/usr/bin/true";
    });
    EXPECT_EQ(std::tuple(dlg->GetDlgItemText(IDC_REDIAL_TEXT), dlg->GetDlgItemText(IDC_APPLICATION_FILE)),
              std::tuple("【リダイヤルあり】\n 2分 30秒 / 10回", "/usr/bin/true"));
    EXPECT_FALSE(dlg->m_bConnecting || dlg->m_bDisconnecting || dlg->m_bInteractive || dlg->m_bMoved);
    // Filling the edit must not pull the check boxes after it back before they were filled.
    EXPECT_TRUE(dlg->IsDlgButtonChecked(IDC_APPLICATION_DISCONNECTION));
    EXPECT_TRUE(dlg->IsDlgButtonChecked(IDC_CHECK_WED) && !dlg->isDlgItemEnabled(IDC_CHECK_WED));
    click(IDC_AUTO_CONNECTION);
    EXPECT_TRUE(dlg->isDlgItemEnabled(IDC_CHECK_WED) && dlg->isDlgItemEnabled(IDC_SET_DISCONNECT_TIME) &&
                !dlg->isDlgItemEnabled(IDC_BROWSE));
    click(IDC_AUTO_DISCONNECTION);
    EXPECT_FALSE(dlg->isDlgItemEnabled(IDC_SET_DISCONNECT_TIME) || dlg->m_bAutoDisconnection);
}

class DialDlgHandlers : public DialDlgTest
{
protected:
    void SetUp() override
    {
        addEntries({"Gamma", "Alpha", "Beta"});
        setProfile("Alpha");
        open([](CDialDlg& d) {
            d.m_bAutoConnection = d.m_bAutoDisconnection = d.m_bAutoApplication = true;
            std::tie(d.m_nConnectHour, d.m_nDisconnectHour, d.m_strApplicationFile) =
                std::tuple(6, 23, "/usr/bin/keep");
        });
    }
};

TEST_F(DialDlgHandlers, TimeDialogsShowTheirTimeAndOnlyOkTakesTheNewOne)
{
    // Connect time OK, disconnect time OK, connect time cancelled; each types hh:15:09.
    std::vector<std::string> shown;
    ModalWatcher watcher([&](QDialog* w) {
        auto* time = qobject_cast<CTimeDlg*>(w);
        ASSERT_NE(time, nullptr);
        const int call = static_cast<int>(shown.size());
        shown.push_back(time->windowTitle().toStdString() + std::to_string(time->m_nHour));
        EXPECT_TRUE(dlg->m_bTimeDlgOpen);
        for (auto [field, text] : {std::pair{1042, std::to_string(8 + call)}, {1044, "15"}, {1046, "9"}})
            time->SetDlgItemText(field, text);
        call < 2 ? w->accept() : w->reject();
    });
    for (int id : {IDC_SET_CONNECT_TIME, IDC_SET_DISCONNECT_TIME, IDC_SET_CONNECT_TIME})
        click(id);

    EXPECT_EQ(shown, (std::vector<std::string>{"自動接続時刻の設定6", "自動切断時刻の設定23", "自動接続時刻の設定8"}));
    EXPECT_EQ(std::tuple(dlg->GetDlgItemText(IDC_CONNECT_TIME), dlg->GetDlgItemText(IDC_DISCONNECT_TIME),
                         dlg->m_nConnectHour, dlg->m_nConnectMinute, dlg->m_nConnectSecond, dlg->m_bTimeDlgOpen),
              std::tuple("08：15：09", "09：15：09", 8, 15, 9, false));
}

// The program sits in a folder with a space in its name, beside a plain file and a subfolder.
TEST_F(DialDlgHandlers, BrowseListsProgramsAndFoldersOrEverythingAndQuotesThePickedPathOnlyOnOk)
{
    const std::filesystem::path folder = env.dir() / "My Apps";
    std::filesystem::create_directories(folder / "sub");
    std::ofstream(folder / "notes.txt") << "text\n";
    std::ofstream(folder / "tool") << "#!/bin/sh\n";
    std::filesystem::permissions(folder / "tool", std::filesystem::perms::owner_all);
    std::vector<std::set<std::string>> listed;
    ModalWatcher watcher([&](QDialog* w) {
        auto* files = qobject_cast<QFileDialog*>(w);
        EXPECT_TRUE(dlg->m_bFileDlgOpen && files->fileMode() == QFileDialog::ExistingFile);
        if (!listed.empty()) // the second time: cancelled
            return w->reject();
        files->setDirectory(QString::fromStdString(folder.string()));
        auto* view = files->findChild<QListView*>(QStringLiteral("listView"));
        const auto names = [view] {
            std::set<std::string> names;
            for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r)
                names.insert(view->model()->index(r, 0, view->rootIndex()).data().toString().toStdString());
            names.erase("..");
            return names;
        };
        for (const char* awaited : {"tool", "notes.txt"}) {
            waitUntil([&] { return names().count(awaited) > 0; }, 5000);
            listed.push_back(names());
            QTest::keyClick(files->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")), Qt::Key_Down);
        }
        files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("tool"));
        w->accept();
    });
    click(IDC_BROWSE);
    click(IDC_BROWSE);
    EXPECT_EQ(listed, (std::vector<std::set<std::string>>{{"sub", "tool"}, {"notes.txt", "sub", "tool"}}));
    const std::string quoted = "'" + (folder / "tool").string() + "'";
    EXPECT_EQ(std::tuple(dlg->m_strApplicationFile, dlg->GetDlgItemText(IDC_APPLICATION_FILE), dlg->m_bFileDlgOpen),
              std::tuple(quoted, quoted, false));
}

TEST_F(DialDlgHandlers, WhileAConnectOrDisconnectRunsOnlyAboutOpensAndAfterItTheButtonsWork)
{
    for (bool DialDlgState::*busy : {&DialDlgState::m_bConnecting, &DialDlgState::m_bDisconnecting}) {
        dlg.get()->*busy = true;
        const int calls = service.totalCalls();
        ModalWatcher watcher([&](QDialog* w) {
            EXPECT_TRUE(dlg->m_bAboutOpen);
            w->reject();
        });
        for (int id :
             {IDC_CONNECT, IDC_DISCONNECT, IDC_BROWSE, IDC_SET_CONNECT_TIME, IDC_SET_DISCONNECT_TIME, IDCANCEL})
            click(id);
        dlg->OnSysCommand(IDM_CONNECT);
        dlg->OnSysCommand(IDM_DISCONNECT);
        QCoreApplication::processEvents();
        EXPECT_EQ(std::tuple(watcher.seen.size(), service.totalCalls(), dlg->isVisible(), dlg->m_bConnecting,
                             dlg->m_bDisconnecting, dlg->m_bInteractive),
                  std::tuple(0u, calls, true, busy == &DialDlgState::m_bConnecting,
                             busy == &DialDlgState::m_bDisconnecting, false));
        dlg->OnSysCommand(IDM_ABOUTBOX);
        EXPECT_EQ(watcher.seen, std::vector<std::string>{"telmaq::CAboutDlg"});
        EXPECT_FALSE(dlg->m_bAboutOpen);
        dlg.get()->*busy = false;
    }
    click(IDC_CONNECT);
    dlg->OnSysCommand(IDM_DISCONNECT);
    EXPECT_EQ(history.lines(), (std::vector<std::string>{"dial-started button Alpha", "connected button Alpha",
                                                         "app-started button Alpha", "hung-up system-menu Alpha"}));
    click(IDCANCEL);
    EXPECT_EQ(std::tuple(dlg->isVisible(), dlg->result()), std::tuple(false, IDCANCEL));
}

TEST_F(DialDlgHandlers, ChoosingAnEntrySelectsItEverywhereAndWritesTheDefault)
{
    SortedComboBox& list = dlg->entryList();
    using Case = std::tuple<const char*, std::function<void()>, const char*, const char*>;
    for (const auto& [how, choose, shown, stored] :
         {Case{"list", [&] { list.setCurrentIndex(1), emit list.activated(1); }, "Alpha [Beta]* Gamma ", "Beta"},
          Case{"sub-menu", [&] { dlg->systemMenu().entryMenu()->actions().at(2)->trigger(); }, "Alpha Beta [Gamma]* ",
               "Gamma"},
          // Another program changed the default; choosing our selection puts ours back.
          Case{"the selected one", [&] { dlg->OnSysCommand(IDM_ENTRY_FIRST); }, "[Alpha]* Beta Gamma ", "Alpha"},
          Case{"low bits set", [&] { dlg->OnSysCommand(IDM_ENTRY_FIRST + 16 + 7); }, "Alpha [Beta]* Gamma ", "Beta"},
          Case{"past the list", [&] { dlg->OnSysCommand(IDM_ENTRY_FIRST + 16 * 3); }, "[Alpha]* Beta Gamma ",
               "Elsewhere"}}) {
        dlg->OnSysCommand(IDM_ENTRY_FIRST);
        setProfile("Elsewhere");
        choose();
        EXPECT_EQ(entries(), shown) << how;
        EXPECT_EQ(dlg->m_strEntry, dlg->entryText(dlg->currentEntry())) << how;
        EXPECT_STREQ(settings.ReadInternetProfile(), stored) << how;
    }
}

TEST_F(DialDlgHandlers, TheButtonTheHelpCommandAndF1EachTellOfAMissingHelpFileOverTheWindow)
{
    ASSERT_FALSE(QFileInfo::exists(CDialDlg::helpFilePath()));
    dlg->activateWindow();
    ASSERT_TRUE(waitUntil([this] { return dlg->isActiveWindow(); }));
    click(IDC_HELP);
    dlg->OnCommand(ID_HELP);
    QTest::keyClick(dlg.get(), Qt::Key_F1);
    ASSERT_TRUE(waitUntil([this] { return boxes.shown.size() == 3; }));
    for (const auto& box : boxes.shown) {
        EXPECT_EQ(std::tuple(box.text, box.title, box.style, box.owner),
                  std::tuple("ﾍﾙﾌﾟの起動に失敗しました。", "telmaq", 0x30u, static_cast<QWidget*>(dlg.get())));
    }
}

// The program's own name with ".HLP": beside it first (a build folder), then in
// ../share/telmaq/ (installed); with neither, the first place looked.
TEST(DialDlgHelpFile, BesideTheProgramThenInItsShareFolder)
{
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkpath("bin") && QDir(root.path()).mkpath("share/telmaq"));
    // Made one after the other: another program's help file, ours installed, ours beside the program.
    for (const auto& [made, found] : {std::pair{"share/telmaq/telmaq.HLP", "bin/dialer.HLP"},
                                      {"share/telmaq/dialer.HLP", "share/telmaq/dialer.HLP"},
                                      {"bin/dialer.HLP", "bin/dialer.HLP"}}) {
        QFile file(root.filePath(made));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_EQ(CDialDlg::helpFilePathFor(root.filePath("bin/dialer")), root.filePath(found)) << made;
    }
}

// Opening it grays Maximise and Size always, Restore unless the window is minimised, and Move
// and Minimise while it is.
TEST_F(DialDlgHandlers, TheSystemMenuIsTheContextMenuAndFollowsTheWindowsState)
{
    for (const bool minimised : {false, true}) {
        if (minimised)
            dlg->OnSysCommand(SC_MINIMIZE);
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), dlg->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(dlg.get(), &event);
        EXPECT_TRUE(waitUntil([this] { return dlg->systemMenu().menu()->isVisible(); }));
        std::vector<bool> enabled;
        for (unsigned id : {SC_MAXIMIZE, SC_SIZE, SC_RESTORE, SC_MINIMIZE, SC_MOVE, SC_CLOSE})
            enabled.push_back(dlg->systemMenu().action(id)->isEnabled());
        EXPECT_EQ(enabled, (std::vector<bool>{false, false, minimised, !minimised, !minimised, true}));
        dlg->systemMenu().menu()->hide();
    }
}

// A window manager keeps Alt+Space for its own menu: the keys of a context menu open ours too.
TEST_F(DialDlgHandlers, TheSystemMenuOpensFromTheKeyboard)
{
    dlg->activateWindow();
    ASSERT_TRUE(waitUntil([this] { return dlg->isActiveWindow(); }));
    for (const char* keys : {"Alt+Space", "Shift+F10", "Menu"}) {
        QTest::keySequence(dlg.get(), QKeySequence(QString::fromLatin1(keys)));
        EXPECT_TRUE(waitUntil([this] { return dlg->systemMenu().menu()->isVisible(); })) << keys;
        dlg->systemMenu().menu()->hide();
    }
}

// Title bars offer what the templates give: caption, system menu (close) and the minimise box
// where there is one, and moving; never resizing or maximising, as the size is fixed.
TEST(WindowManagerHints, OfferWhatTheTemplatesGive)
{
    using H = MotifWmHints;
    const std::tuple<const DialogTemplate*, std::uint32_t, std::uint32_t> cases[] = {
        {&mainDialogTemplate(), H::kFuncMove | H::kFuncClose | H::kFuncMinimize,
         H::kDecorBorder | H::kDecorTitle | H::kDecorMenu | H::kDecorMinimize},
        {&connectingDialogTemplate(), H::kFuncMove | H::kFuncClose, H::kDecorBorder | H::kDecorTitle | H::kDecorMenu},
        {&timeDialogTemplate(), H::kFuncMove | H::kFuncClose, H::kDecorBorder | H::kDecorTitle | H::kDecorMenu},
        {&aboutDialogTemplate(), H::kFuncMove | H::kFuncClose, H::kDecorBorder | H::kDecorTitle | H::kDecorMenu},
    };
    for (const auto& [dialog, functions, decorations] : cases) {
        const MotifWmHints hints = motifWmHintsFor(dialog->style);
        EXPECT_EQ(std::tuple(hints.flags, hints.functions, hints.decorations),
                  std::tuple(H::kFunctions | H::kDecorations, functions, decorations))
            << dialog->caption;
    }
}

TEST_F(DialDlgTest, WithMoreEntriesThanIdsSizeStaysTheWindowCommand)
{
    service.addEntries(3900, "e");
    setProfile("e0");
    open();
    ASSERT_EQ(dlg->systemMenu().entryItemCount(), CSystemMenu::kMaxEntryItems);
    dlg->OnSysCommand(SC_SIZE);     // would have been entry 3,835 without the cap
    dlg->OnSysCommand(SC_MAXIMIZE); // entry 3,836
    EXPECT_STREQ(settings.ReadInternetProfile(), "e0");
    dlg->OnSysCommand(0xEFF0); // the last listed entry still works
    EXPECT_EQ(dlg->currentEntry(), 3834);
}

TEST_F(DialDlgTest, OpensWhereItWasOrMinimisedAndOnlyClosingElsewhereIsAMoveAndTheSessionsEndSavesOnce)
{
    addEntries({"A", "B"});
    setProfile("A");
    const auto at100x50 = [](CDialDlg& d) { std::tie(d.m_nWindowLeft, d.m_nWindowTop) = std::tuple(100, 50); };
    using Case = std::tuple<std::vector<QPoint>, bool, QPoint>; // moves, moved, position kept
    for (const auto& [moves, moved, kept] : {Case{{}, false, {100, 50}}, Case{{{140, 50}}, true, {140, 50}},
                                             Case{{{300, 200}, {100, 50}}, false, {100, 50}}}) {
        open(at100x50);
        EXPECT_EQ(dlg->pos(), QPoint(100, 50));
        EXPECT_FALSE(waitUntil([this] { return dlg->isMinimized() || dlg->isIconic(); }, 100));
        for (const QPoint& to : moves)
            dlg->move(to);
        dlg->OnDestroy();
        EXPECT_EQ(std::tuple(dlg->m_bMoved, QPoint(dlg->m_nWindowLeft, dlg->m_nWindowTop)), std::tuple(moved, kept));
    }

    open(at100x50);
    dlg->move(100, 75);
    dlg->m_bCheckSun = false;
    dlg->OnEndSession();
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(std::tuple(saves[0].m_bMoved, saves[0].m_bCheckSun, saves[0].m_nWindowTop), std::tuple(true, false, 75));
    // The log-off was cancelled after all: the tick goes on (it picks up a new default
    // entry), and closing later compares with the new position.
    setProfile("B");
    clock.advanceSeconds(1);
    EXPECT_TRUE(waitUntil([this] { return dlg->m_strEntry == "B"; }, 5000)) << "no tick after the session's end";
    dlg->OnDestroy();
    EXPECT_EQ(std::tuple(dlg->m_nWindowTop, saves.size()), std::tuple(75, 1u));

    open([](CDialDlg& d) { d.m_bIconic = true; });
    // Asked for before it first shows, too: a window manager drops a later request to minimise
    // a window it has not yet taken over.
    EXPECT_TRUE(dlg->windowState() & Qt::WindowMinimized);
    // Under some platforms a minimised window stays on the screen: Qt's own state counts.
    EXPECT_TRUE(waitUntil([this] { return dlg->isMinimized() && dlg->isIconic(); }));
}

} // namespace
} // namespace telmaq::test
