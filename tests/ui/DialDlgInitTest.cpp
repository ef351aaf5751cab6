// The main window as it opens: the entry list and the entries sub-menu, the default entry,
// the redial text, the two times, the enabling rules, the placement and starting minimised.
#include "DialDlgTestSupport.h"

#include <QMenu>

namespace telmaq::test {
namespace {

std::vector<std::string> subMenuItems(CDialDlg& dlg)
{
    std::vector<std::string> items;
    for (QAction* a : dlg.systemMenu().entryMenu()->actions())
        items.push_back(a->text().toStdString());
    return items;
}

TEST_F(DialDlgTest, ListAndSubMenuShowTheEntriesInTheSameSortedOrder)
{
    addEntries({"Zeta", "alpha", "Mike"});
    setProfile("Mike");
    open();

    const std::vector<std::string> sorted{"alpha", "Mike", "Zeta"};
    EXPECT_EQ(listItems(), sorted);
    EXPECT_EQ(subMenuItems(*dlg), sorted);
    EXPECT_EQ(dlg->currentEntry(), 1);
    EXPECT_TRUE(dlg->systemMenu().isEntryChecked(1));
    EXPECT_FALSE(dlg->systemMenu().isEntryChecked(0));
    EXPECT_FALSE(dlg->systemMenu().isEntryChecked(2));
}

TEST_F(DialDlgTest, TheDefaultEntryIsFoundIgnoringLetterCaseAndNotRewritten)
{
    addEntries({"Alpha", "Beta"});
    setProfile("BETA");
    open();

    EXPECT_EQ(dlg->currentEntry(), 1);
    EXPECT_EQ(dlg->m_strEntry, "BETA");
    EXPECT_EQ(profile(), "BETA");
}

TEST_F(DialDlgTest, AnUnknownDefaultEntrySelectsAndWritesTheFirstSortedEntry)
{
    addEntries({"Zeta", "Beta"});
    setProfile("Gone");
    open();

    EXPECT_EQ(dlg->currentEntry(), 0);
    EXPECT_EQ(dlg->m_strEntry, "Beta");
    EXPECT_EQ(profile(), "Beta");
    EXPECT_TRUE(dlg->systemMenu().isEntryChecked(0));
}

TEST_F(DialDlgTest, RedialTextAndTimesAreShown)
{
    addEntries({"A"});
    setProfile("A");
    setDword("EnableRedial", 1);
    setDword("RedialTry", 10);
    setDword("RedialWait", (2u << 16) | 30u);
    open([](CDialDlg& d) {
        d.m_nConnectHour = 7;
        d.m_nConnectMinute = 5;
        d.m_nConnectSecond = 0;
        d.m_nDisconnectHour = 99;
    });

    EXPECT_EQ(dlg->m_nRedialWait, 150);
    EXPECT_EQ(dlg->GetDlgItemText(IDC_REDIAL_TEXT), "【リダイヤルあり】\n 2分 30秒 / 10回");
    EXPECT_EQ(dlg->GetDlgItemText(IDC_CONNECT_TIME), "07：05：00");
    EXPECT_EQ(dlg->GetDlgItemText(IDC_DISCONNECT_TIME), "99：00：00");
}

TEST_F(DialDlgTest, InitialisationClearsTheBusyFlagsAndPushesTheSettings)
{
    addEntries({"A"});
    setProfile("A");
    open([](CDialDlg& d) {
        d.m_bConnecting = d.m_bDisconnecting = d.m_bInteractive = true;
        d.m_bTimeDlgOpen = d.m_bFileDlgOpen = d.m_bAboutOpen = d.m_bMoved = true;
        d.m_bCheckMon = true;
        d.m_bCheckTue = false;
        d.m_strApplicationFile = "/usr/bin/true";
        d.m_bApplicationDisconnection = true;
        d.m_bIconic = false;
    });

    EXPECT_FALSE(dlg->m_bConnecting || dlg->m_bDisconnecting || dlg->m_bInteractive);
    EXPECT_FALSE(dlg->m_bTimeDlgOpen || dlg->m_bFileDlgOpen || dlg->m_bAboutOpen || dlg->m_bMoved);
    EXPECT_TRUE(dlg->IsDlgButtonChecked(IDC_CHECK_MON));
    EXPECT_FALSE(dlg->IsDlgButtonChecked(IDC_CHECK_TUE));
    EXPECT_EQ(dlg->GetDlgItemText(IDC_APPLICATION_FILE), "/usr/bin/true");
    // Filling the edit must not pull the check boxes after it back before they were filled.
    EXPECT_TRUE(dlg->m_bApplicationDisconnection);
    EXPECT_TRUE(dlg->IsDlgButtonChecked(IDC_APPLICATION_DISCONNECTION));
}

struct Enabling
{
    bool autoConnection;
    bool autoDisconnection;
    bool autoApplication;
};

void expectEnabling(CDialDlg& dlg, const Enabling& e)
{
    for (int id : {IDC_CHECK_SUN, IDC_CHECK_MON, IDC_CHECK_TUE, IDC_CHECK_WED, IDC_CHECK_THU, IDC_CHECK_FRI,
                   IDC_CHECK_SAT, IDC_CONNECT_TIME, IDC_SET_CONNECT_TIME, IDC_AUTO_DISCONNECTION})
        EXPECT_EQ(dlg.isDlgItemEnabled(id), e.autoConnection) << "control " << id;
    for (int id : {IDC_DISCONNECT_TIME, IDC_SET_DISCONNECT_TIME})
        EXPECT_EQ(dlg.isDlgItemEnabled(id), e.autoConnection && e.autoDisconnection) << "control " << id;
    for (int id : {IDC_APPLICATION_DISCONNECTION, IDC_APPLICATION_FILE, IDC_BROWSE})
        EXPECT_EQ(dlg.isDlgItemEnabled(id), e.autoApplication) << "control " << id;
    for (int id :
         {IDC_ENTRY, IDC_AUTO_CONNECTION, IDC_AUTO_APPLICATION, IDC_ICONIC, IDC_CONNECT, IDC_DISCONNECT, IDC_HELP, 2})
        EXPECT_TRUE(dlg.isDlgItemEnabled(id)) << "control " << id;
}

TEST_F(DialDlgTest, EnablingRulesFollowTheThreeCheckBoxes)
{
    addEntries({"A"});
    setProfile("A");
    open([](CDialDlg& d) {
        d.m_bAutoConnection = false;
        d.m_bAutoDisconnection = true;
        d.m_bCheckWed = true;
    });
    expectEnabling(*dlg, {false, true, false});
    // Disabled boxes keep their state.
    EXPECT_TRUE(dlg->IsDlgButtonChecked(IDC_CHECK_WED));

    click(IDC_AUTO_CONNECTION);
    EXPECT_TRUE(dlg->m_bAutoConnection);
    expectEnabling(*dlg, {true, true, false});

    click(IDC_AUTO_DISCONNECTION);
    EXPECT_FALSE(dlg->m_bAutoDisconnection);
    expectEnabling(*dlg, {true, false, false});

    click(IDC_AUTO_CONNECTION);
    expectEnabling(*dlg, {false, false, false});
    click(IDC_AUTO_CONNECTION);
    // Back on: everything but the disconnect time, since automatic disconnection is off.
    expectEnabling(*dlg, {true, false, false});

    click(IDC_AUTO_APPLICATION);
    EXPECT_TRUE(dlg->m_bAutoApplication);
    expectEnabling(*dlg, {true, false, true});
    EXPECT_TRUE(dlg->m_bCheckWed);
}

TEST_F(DialDlgTest, OpensAtTheStoredPositionAndMinimisedOnlyWhenAskedTo)
{
    addEntries({"A"});
    setProfile("A");
    for (const bool iconic : {false, true}) {
        SCOPED_TRACE(iconic);
        open([iconic](CDialDlg& d) {
            d.m_nWindowLeft = 120;
            d.m_nWindowTop = 45;
            d.m_bIconic = iconic;
        });
        EXPECT_EQ(dlg->pos(), QPoint(120, 45));
        // Under some platforms a minimised window stays on the screen: Qt's own state counts.
        EXPECT_EQ(waitUntil([this] { return dlg->isMinimized(); }, iconic ? 20000 : 200), iconic);
        EXPECT_EQ(dlg->isIconic(), iconic);
    }
}

} // namespace
} // namespace telmaq::test
