// The controls of our own making: the sorted list, the up-down arrows, the system menu and the
// event pump that keeps the window alive during a dial.
#include "ui/EventPump.h"
#include "ui/SortedComboBox.h"
#include "ui/SystemMenu.h"
#include "ui/UpDownControl.h"

#include <QAction>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

namespace telmaq {
namespace {

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
    for (const char* name : {"abc", "ABC"})
        a.addSortedItem(QString::fromUtf8(name));
    for (const char* name : {"ABC", "abc"})
        b.addSortedItem(QString::fromUtf8(name));
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

TEST(SystemMenu, AddsTheEntriesConnectDisconnectAndAboutAfterTheWindowCommands)
{
    QWidget window;
    CSystemMenu menu(&window), bare(&window);
    menu.build({"A", "R&D", "C"}, 1, "ﾊﾞｰｼﾞｮﾝ情報 (&A)...");
    bare.build({"A"}, 0, "");
    EXPECT_EQ(items(menu.menu()), (QStringList{"元のサイズに戻す(&R) f120", "移動(&M) f010", "サイズ変更(&S) f000",
                                               "最小化(&N) f020", "最大化(&X) f030", "-", "閉じる(&C) f060", "-",
                                               "接続先(&L)", "接続(&E) 30", "切断(&F) 40", "ﾊﾞｰｼﾞｮﾝ情報 (&A)... 10"}));
    // An ampersand in an entry's name is no mnemonic.
    EXPECT_EQ(items(menu.entryMenu()), (QStringList{"A 50", "R&&D 60", "C 70"}));
    EXPECT_EQ(items(bare.menu()).mid(9), (QStringList{"接続(&E) 30", "切断(&F) 40"}));

    std::vector<unsigned> chosen;
    QObject::connect(&menu, &CSystemMenu::command, [&chosen](unsigned id) { chosen.push_back(id); });
    for (QAction* action : {menu.entryMenu()->actions().at(2), menu.action(IDM_CONNECT), menu.action(SC_CLOSE)})
        action->trigger();
    EXPECT_EQ(chosen, (std::vector<unsigned>{0x70, IDM_CONNECT, SC_CLOSE}));
}

TEST(SystemMenu, MarksTheChosenEntryAloneAsDrawn)
{
    QWidget window;
    CSystemMenu menu(&window);
    menu.build({"A", "B", "C", "D"}, 2, "");
    menu.checkEntry(2, false);
    menu.checkEntry(0, true);
    menu.checkEntry(7, true); // beyond the list: ignored
    // A mark in front of the chosen entry, and nothing, not an empty box, in front of the others.
    QMenu* entries = menu.entryMenu();
    entries->adjustSize();
    const QImage image = entries->grab().toImage();
    std::vector<bool> checked, marked;
    for (int i = 0; i < 4; ++i) {
        const QRect row = entries->actionGeometry(entries->actions().at(i));
        const QRgb background = image.pixel(row.right() - 2, row.center().y());
        bool mark = false;
        for (int y = row.top() + 1; y < row.bottom(); ++y) {
            for (int x = row.left() + 2; x < row.left() + row.height(); ++x)
                mark = mark || image.pixel(x, y) != background;
        }
        checked.push_back(menu.isEntryChecked(i));
        marked.push_back(mark);
    }
    EXPECT_EQ(checked, (std::vector<bool>{true, false, false, false}));
    EXPECT_EQ(marked, checked);
}

TEST(SystemMenu, ListsNoEntryWhoseIdWouldReachTheWindowCommands)
{
    QWidget window;
    CSystemMenu menu(&window);
    std::vector<std::string> names(3836, "entry");
    menu.build(names, 3835, "");
    EXPECT_EQ(menu.entryItemCount(), 3835);
    EXPECT_EQ(menu.entryMenu()->actions().back()->data().toUInt(), 0xEFF0u);
    // The 3,836th entry would have had SC_SIZE's id; it is not listed, so Size stays Size.
    EXPECT_EQ(menu.action(SC_SIZE)->text(), QStringLiteral("サイズ変更(&S)"));
}

TEST(SystemMenu, MaximiseAndSizeStayGrayedAndTheOthersFollowTheWindowsState)
{
    QWidget window;
    CSystemMenu menu(&window);
    menu.build({"A"}, 0, "");
    for (const bool minimised : {false, true}) {
        minimised ? window.showMinimized() : window.show();
        menu.OnInitMenuPopup();
        std::vector<bool> enabled;
        for (unsigned id : {SC_MAXIMIZE, SC_SIZE, SC_RESTORE, SC_MINIMIZE, SC_MOVE, SC_CLOSE})
            enabled.push_back(menu.action(id)->isEnabled());
        EXPECT_EQ(enabled, (std::vector<bool>{false, false, minimised, !minimised, !minimised, true}));
    }
}

// Far longer than any of these waits should take, so that a wait that ends early can only
// have been ended by what the test did; no test asserts how fast that was.
constexpr int kLongWait = 60000;

TEST(EventPump, AWakeEndsAWaitAtOnceWhetherItCameBeforeDuringOrBeforeAPump)
{
    EventPump pump;
    QElapsedTimer clock;
    clock.start();
    pump.wake();
    EXPECT_TRUE(pump.waitAndPump(kLongWait));
    // Pumping in between does not swallow the wake: the procedure that pumps before it waits
    // has not looked at the report that came with it yet.
    pump.wake();
    EXPECT_TRUE(pump.pumpPendingMessages());
    EXPECT_TRUE(pump.waitAndPump(kLongWait));
    std::atomic<bool> waiting{false};
    std::thread notifier([&] {
        while (!waiting.load())
            std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        pump.wake();
    });
    waiting.store(true);
    EXPECT_TRUE(pump.waitAndPump(kLongWait));
    notifier.join();
    EXPECT_LT(clock.elapsed(), kLongWait);
}

TEST(EventPump, WaitingSleepsUntilItsMaximumTimeOrTheNextEvent)
{
    EventPump pump;
    // With nothing to do, a wait sleeps: a handful of passes fill 50 ms where a pump that
    // spun would go round thousands of times.
    QElapsedTimer clock;
    clock.start();
    int passes = 0;
    for (; clock.elapsed() < 50; ++passes)
        ASSERT_TRUE(pump.waitAndPump(50));
    EXPECT_LT(passes, 100);
    bool ran = false;
    QTimer::singleShot(10, [&] { ran = true; });
    while (!ran)
        ASSERT_TRUE(pump.waitAndPump(kLongWait));
}

TEST(EventPump, PumpsUntilAskedToQuitOrTheApplicationIsQuitting)
{
    EventPump pump, other;
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    for (int i = 0; i < 1000 && !ran; ++i)
        ASSERT_TRUE(pump.pumpPendingMessages());
    EXPECT_TRUE(ran) << "pumping handles what is waiting";
    pump.requestQuit();
    EXPECT_FALSE(pump.pumpPendingMessages() || pump.waitAndPump(kLongWait));
    QEvent quit(QEvent::Quit);
    QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
    EXPECT_TRUE(other.isQuitting());
    EXPECT_FALSE(other.pumpPendingMessages());
}

} // namespace
} // namespace telmaq
