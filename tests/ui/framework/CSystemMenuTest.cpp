#include "ui/framework/CSystemMenu.h"
#include "ui/framework/Dialog.h"
#include "ui/framework/qt/CSystemMenuImpl.h"

#include "fakes/MessageBoxRecorder.h"

#include <QAction>
#include <QImage>
#include <QMenu>
#include <gtest/gtest.h>

namespace telmaq::test {
namespace {

const DialogTemplate kPlainWindow = [] {
    DialogTemplate t;
    t.caption = "window";
    t.width = 100;
    t.height = 50;
    return t;
}();

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
    MessageBoxRecorder boxes;
    Dialog window(kPlainWindow, boxes);
    CSystemMenu menu(window, {}), bare(window, {});
    menu.build("接続先(&L)", {"A", "R&D", "C"}, 0x50, 1,
               {{"接続(&E)", 0x30}, {"切断(&F)", 0x40}, {"ﾊﾞｰｼﾞｮﾝ情報 (&A)...", 0x10}});
    bare.build("接続先(&L)", std::vector<std::string>(3836, "entry"), 0x50, 3835,
               {{"接続(&E)", 0x30}, {"切断(&F)", 0x40}});
    EXPECT_EQ(items(qtMenu(menu)), (QStringList{"元のサイズに戻す(&R) f120", "移動(&M) f010", "サイズ変更(&S) f000",
                                                "最小化(&N) f020", "最大化(&X) f030", "-", "閉じる(&C) f060", "-",
                                                "接続先(&L)", "接続(&E) 30", "切断(&F) 40", "ﾊﾞｰｼﾞｮﾝ情報 (&A)... 10"}));
    // An ampersand in an entry's name is no mnemonic.
    EXPECT_EQ(items(qtEntryMenu(menu)), (QStringList{"A 50", "R&&D 60", "C 70"}));
    // The 3,836th entry would have had SC_SIZE's id: it is not listed, so Size stays Size.
    EXPECT_EQ(items(qtMenu(bare)).mid(2),
              (QStringList{"サイズ変更(&S) f000", "最小化(&N) f020", "最大化(&X) f030", "-", "閉じる(&C) f060", "-",
                           "接続先(&L)", "接続(&E) 30", "切断(&F) 40"}));
    EXPECT_EQ(std::tuple(bare.entryItemCount(), items(qtEntryMenu(bare)).last()),
              std::tuple(3835, QStringLiteral("entry eff0")));
}

// A mark in front of the chosen entry alone, as drawn: nothing, not an empty box, in front of
// the others; marks follow the last choice, and a position beyond the list is ignored.
TEST(SystemMenu, MarksTheChosenEntryAloneAsDrawn)
{
    MessageBoxRecorder boxes;
    Dialog window(kPlainWindow, boxes);
    CSystemMenu menu(window, {});
    menu.build("接続先(&L)", {"A", "B", "C", "D"}, 0x50, 2, {});
    menu.checkEntry(2, false);
    menu.checkEntry(0, true);
    menu.checkEntry(7, true);
    QMenu* entries = qtEntryMenu(menu);
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
    const auto mark = [](QMenu* m) {
        const QRect row = m->actionGeometry(m->actions().at(0));
        return m->grab().toImage().copy(row.left() + 2, row.top() + 1, row.height() - 2, row.height() - 2);
    };
    EXPECT_EQ(mark(entries), mark(&plain));
}

} // namespace
} // namespace telmaq::test
