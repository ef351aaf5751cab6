#include "ui/dialogs/DialDlgFixture.h"

#include "support/WaitUntil.h"
#include "ui/ModalWatcher.h"
#include "ui/dialogs/CTimeDlg.h"

#include <QTest>

#include <filesystem>
#include <fstream>
#include <set>

namespace telmaq::test {
namespace {

// Opening it grays Maximise and Size always, Restore unless the window is minimised, and Move
// and Minimise while it is.
TEST_F(DialDlgHandlers, TheSystemMenuIsTheContextMenuAndFollowsTheWindowsState)
{
    for (const bool minimised : {false, true}) {
        if (minimised)
            dlg->OnSysCommand(SC_MINIMIZE);
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), qtWindow(*dlg)->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(qtWindow(*dlg), &event);
        EXPECT_TRUE(waitUntil([this] { return qtMenu(dlg->systemMenu())->isVisible(); }));
        std::vector<bool> enabled;
        for (unsigned id : {SC_MAXIMIZE, SC_SIZE, SC_RESTORE, SC_MINIMIZE, SC_MOVE, SC_CLOSE})
            enabled.push_back(qtAction(dlg->systemMenu(), id)->isEnabled());
        EXPECT_EQ(enabled, (std::vector<bool>{false, false, minimised, !minimised, !minimised, true}));
        qtMenu(dlg->systemMenu())->hide();
    }
}

// A window manager keeps Alt+Space for its own menu: the keys of a context menu open ours too.
TEST_F(DialDlgHandlers, TheSystemMenuOpensFromTheKeyboard)
{
    qtWindow(*dlg)->activateWindow();
    ASSERT_TRUE(waitUntil([this] { return qtWindow(*dlg)->isActiveWindow(); }));
    for (const char* keys : {"Alt+Space", "Shift+F10", "Menu"}) {
        QTest::keySequence(qtWindow(*dlg), QKeySequence(QString::fromLatin1(keys)));
        EXPECT_TRUE(waitUntil([this] { return qtMenu(dlg->systemMenu())->isVisible(); })) << keys;
        qtMenu(dlg->systemMenu())->hide();
    }
}

TEST_F(DialDlgTest, WithMoreEntriesThanIdsSizeStaysTheWindowCommand)
{
    service.addEntries(3900, "e");
    setProfile("e0");
    open();
    ASSERT_EQ(dlg->systemMenu().entryItemCount(), CSystemMenu::maxEntryItems(IDM_ENTRY_FIRST));
    dlg->OnSysCommand(SC_SIZE);     // would have been entry 3,835 without the cap
    dlg->OnSysCommand(SC_MAXIMIZE); // entry 3,836
    EXPECT_STREQ(settings.ReadInternetProfile(), "e0");
    dlg->OnSysCommand(0xEFF0); // the last listed entry still works
    EXPECT_EQ(dlg->currentEntry(), 3834);
}

} // namespace
} // namespace telmaq::test
