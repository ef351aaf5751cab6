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

// Where the window was when it last closed.
void at100x50(CDialDlg& d)
{
    d.m_nWindowLeft = 100;
    d.m_nWindowTop = 50;
}

TEST_F(DialDlgTest, OpensWhereItWasAndOnlyClosingElsewhereCountsAsAMove)
{
    addEntries({"A"});
    setProfile("A");
    using Case = std::tuple<std::vector<QPoint>, bool, QPoint>; // moves, moved, position kept
    for (const auto& [moves, moved, kept] : {Case{{}, false, {100, 50}}, Case{{{140, 50}}, true, {140, 50}},
                                             Case{{{300, 200}, {100, 50}}, false, {100, 50}}}) {
        open(at100x50);
        EXPECT_EQ(QPoint(dlg->left(), dlg->top()), QPoint(100, 50));
        EXPECT_FALSE(waitUntil([this] { return qtWindow(*dlg)->isMinimized() || dlg->isIconic(); }, 100));
        for (const QPoint& to : moves)
            dlg->moveTo(to.x(), to.y());
        dlg->OnDestroy();
        EXPECT_EQ(dlg->m_bMoved, moved);
        EXPECT_EQ(QPoint(dlg->m_nWindowLeft, dlg->m_nWindowTop), kept);
    }
}

TEST_F(DialDlgTest, TheSessionsEndSavesOnceEvenWhereTheSessionGoesOn)
{
    addEntries({"A", "B"});
    setProfile("A");
    open(at100x50);
    dlg->moveTo(100, 75);
    dlg->m_bCheckSun = false;
    dlg->OnEndSession();
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_TRUE(saves[0].m_bMoved);
    EXPECT_FALSE(saves[0].m_bCheckSun);
    EXPECT_EQ(saves[0].m_nWindowTop, 75);
    // The log-off was cancelled after all: the tick goes on (it picks up a new default
    // entry), and closing later compares with the new position.
    setProfile("B");
    clock.advanceSeconds(1);
    EXPECT_TRUE(waitUntil([this] { return dlg->m_strEntry == "B"; }, 5000)) << "no tick after the session's end";
    dlg->OnDestroy();
    EXPECT_EQ(dlg->m_nWindowTop, 75);
    EXPECT_EQ(saves.size(), 1u);
}

TEST_F(DialDlgTest, OpensMinimisedWhenItClosedMinimised)
{
    addEntries({"A"});
    setProfile("A");
    open([](CDialDlg& d) { d.m_bIconic = true; });
    // Asked for before it first shows, too: a window manager drops a later request to minimise
    // a window it has not yet taken over.
    EXPECT_TRUE(qtWindow(*dlg)->windowState() & Qt::WindowMinimized);
    // Under some platforms a minimised window stays on the screen: Qt's own state counts.
    EXPECT_TRUE(waitUntil([this] { return qtWindow(*dlg)->isMinimized() && dlg->isIconic(); }));
}

} // namespace
} // namespace telmaq::test
