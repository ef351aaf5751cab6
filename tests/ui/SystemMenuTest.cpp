#include "ui/SystemMenu.h"

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QWidget>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace telmaq {
namespace {

std::vector<std::string> names(int count)
{
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i)
        out.push_back("entry " + std::to_string(i));
    return out;
}

std::vector<unsigned> ids(const QMenu* menu)
{
    std::vector<unsigned> out;
    for (QAction* a : menu->actions()) {
        if (!a->isSeparator() && !a->menu())
            out.push_back(a->data().toUInt());
    }
    return out;
}

TEST(SystemMenuBuilding, AdditionsFollowTheWindowCommandsInOrder)
{
    QWidget window;
    CSystemMenu menu(&window);
    menu.build({"A", "B"}, 1, "ﾊﾞｰｼﾞｮﾝ情報 (&A)...");

    const QList<QAction*> items = menu.menu()->actions();
    QStringList texts;
    for (QAction* a : items)
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(texts, (QStringList{"元のサイズに戻す(&R)", "移動(&M)", "サイズ変更(&S)", "最小化(&N)", "最大化(&X)", "-",
                                  "閉じる(&C)", "-", "接続先(&L)", "接続(&E)", "切断(&F)", "ﾊﾞｰｼﾞｮﾝ情報 (&A)..."}));
    EXPECT_EQ(ids(menu.menu()), (std::vector<unsigned>{SC_RESTORE, SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_CLOSE,
                                                       IDM_CONNECT, IDM_DISCONNECT, IDM_ABOUTBOX}));
    EXPECT_EQ(ids(menu.entryMenu()), (std::vector<unsigned>{0x50, 0x60}));
}

TEST(SystemMenuBuilding, WithoutAboutTextTheMenuEndsWithDisconnect)
{
    QWidget window;
    CSystemMenu menu(&window);
    menu.build({"A"}, 0, "");
    EXPECT_EQ(menu.menu()->actions().last()->text(), QStringLiteral("切断(&F)"));
    EXPECT_EQ(menu.action(IDM_ABOUTBOX), nullptr);
}

TEST(SystemMenuBuilding, OnlyTheSelectedEntryIsChecked)
{
    QWidget window;
    CSystemMenu menu(&window);
    menu.build(names(4), 2, "");
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(menu.isEntryChecked(i), i == 2) << i;

    menu.checkEntry(2, false);
    menu.checkEntry(0, true);
    menu.checkEntry(7, true); // beyond the list: ignored
    EXPECT_TRUE(menu.isEntryChecked(0));
    EXPECT_FALSE(menu.isEntryChecked(2));

    // As drawn: a mark in front of the chosen entry, and nothing, not an empty box, in front
    // of the others.
    QMenu* entries = menu.entryMenu();
    entries->adjustSize();
    const QImage image = entries->grab().toImage();
    for (int i = 0; i < 4; ++i) {
        const QRect row = entries->actionGeometry(entries->actions().at(i));
        const QRgb background = image.pixel(row.right() - 2, row.center().y());
        int marked = 0;
        for (int y = row.top() + 1; y < row.bottom(); ++y) {
            for (int x = row.left() + 2; x < row.left() + row.height(); ++x)
                marked += image.pixel(x, y) != background ? 1 : 0;
        }
        EXPECT_EQ(marked > 0, i == 0) << "entry " << i << ": " << marked << " pixels";
    }
}

TEST(SystemMenuBuilding, AnAmpersandInAnEntryNameIsNoMnemonic)
{
    QWidget window;
    CSystemMenu menu(&window);
    menu.build({"R&D"}, 0, "");
    EXPECT_EQ(menu.entryMenu()->actions().at(0)->text(), QStringLiteral("R&&D"));
}

TEST(SystemMenuEntryCap, NoEntryIdReachesTheWindowCommands)
{
    QWidget window;
    CSystemMenu menu(&window);
    menu.build(names(3836), 3835, "");

    ASSERT_EQ(menu.entryItemCount(), 3835);
    const std::vector<unsigned> entryIds = ids(menu.entryMenu());
    EXPECT_EQ(entryIds.back(), 0xEFF0u);
    // The 3,836th entry would have had SC_SIZE's id; it is not listed, so Size stays Size.
    EXPECT_EQ(menu.action(SC_SIZE)->text(), QStringLiteral("サイズ変更(&S)"));
    EXPECT_FALSE(menu.isEntryChecked(3835));
}

TEST(SystemMenuCommands, ChoosingAnItemEmitsItsId)
{
    QWidget window;
    CSystemMenu menu(&window);
    menu.build(names(3), 0, "about");
    std::vector<unsigned> chosen;
    QObject::connect(&menu, &CSystemMenu::command, [&chosen](unsigned id) { chosen.push_back(id); });

    menu.entryMenu()->actions().at(2)->trigger();
    menu.action(IDM_CONNECT)->trigger();
    menu.action(SC_CLOSE)->trigger();

    EXPECT_EQ(chosen, (std::vector<unsigned>{0x70, IDM_CONNECT, SC_CLOSE}));
}

TEST(SystemMenuCommands, MaximiseAndSizeStayGrayedInEveryState)
{
    QWidget window;
    CSystemMenu menu(&window);
    menu.build({"A"}, 0, "");
    window.show();

    menu.OnInitMenuPopup();
    EXPECT_FALSE(menu.action(SC_MAXIMIZE)->isEnabled());
    EXPECT_FALSE(menu.action(SC_SIZE)->isEnabled());
    EXPECT_FALSE(menu.action(SC_RESTORE)->isEnabled());
    EXPECT_TRUE(menu.action(SC_MINIMIZE)->isEnabled());
    EXPECT_TRUE(menu.action(SC_MOVE)->isEnabled());
    EXPECT_TRUE(menu.action(SC_CLOSE)->isEnabled());

    window.showMinimized();
    menu.OnInitMenuPopup();
    EXPECT_FALSE(menu.action(SC_MAXIMIZE)->isEnabled());
    EXPECT_FALSE(menu.action(SC_SIZE)->isEnabled());
    EXPECT_TRUE(menu.action(SC_RESTORE)->isEnabled());
    EXPECT_FALSE(menu.action(SC_MINIMIZE)->isEnabled());
    EXPECT_TRUE(menu.action(SC_CLOSE)->isEnabled());
}

} // namespace
} // namespace telmaq
