// The end of the main window's run: the moved flag at destruction and at the session's end.
#include "DialDlgTestSupport.h"

namespace telmaq::test {
namespace {

class DialDlgEnd : public DialDlgTest
{
protected:
    void SetUp() override
    {
        addEntries({"A", "B"});
        setProfile("A");
        reopen();
    }
    void reopen()
    {
        open([](CDialDlg& d) {
            d.m_nWindowLeft = 100;
            d.m_nWindowTop = 50;
        });
    }
};

TEST_F(DialDlgEnd, OnlyClosingAwayFromWhereItOpenedIsAMove)
{
    struct Case
    {
        std::vector<QPoint> moves;
        bool moved;
        QPoint kept;
    };
    const Case cases[] = {
        {{}, false, {100, 50}}, {{{140, 50}}, true, {140, 50}}, {{{300, 200}, {100, 50}}, false, {100, 50}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.moves.size());
        reopen();
        for (const QPoint& to : c.moves)
            dlg->move(to);
        dlg->OnDestroy();
        EXPECT_EQ(dlg->m_bMoved, c.moved);
        EXPECT_EQ(QPoint(dlg->m_nWindowLeft, dlg->m_nWindowTop), c.kept);
    }
}

TEST_F(DialDlgEnd, TheSessionsEndTakesThePositionAndSavesOnce)
{
    dlg->move(100, 75);
    dlg->m_bCheckSun = false;
    dlg->OnEndSession();

    ASSERT_EQ(saves.size(), 1u);
    EXPECT_TRUE(saves[0].m_bMoved);
    EXPECT_EQ(saves[0].m_nWindowTop, 75);
    EXPECT_FALSE(saves[0].m_bCheckSun);

    // The log-off was cancelled after all: the tick goes on (it picks up a new default
    // entry), and closing later compares with the new position.
    setProfile("B");
    clock.advanceSeconds(1);
    EXPECT_TRUE(waitUntil([this] { return dlg->m_strEntry == "B"; }, 5000)) << "no tick after the session's end";
    dlg->OnDestroy();
    EXPECT_EQ(dlg->m_nWindowTop, 75);
    EXPECT_EQ(saves.size(), 1u);
}

} // namespace
} // namespace telmaq::test
