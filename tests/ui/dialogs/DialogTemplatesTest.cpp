#include "ui/dialogs/DialogTemplates.h"
#include "ui/dialogs/CAboutDlg.h"
#include "ui/dialogs/CConnectingDlg.h"
#include "ui/dialogs/CTimeDlg.h"
#include "ui/dialogs/DialDlgFixture.h"

#include <set>

namespace telmaq::test {
namespace {

struct NoDial : IConnectingDlgOwner
{
    void stopDialing() override {}
};

std::set<int> unknownIds(const Dialog& dialog)
{
    return qtWindow(dialog)->unknownIds();
}

// Each dialog made, initialised and its controls exchanged both ways: every id it binds,
// fills, reads, enables or reaches is one of its own template's controls.
TEST_F(DialDlgTest, EveryIdADialogLooksUpIsInItsTemplate)
{
    addEntries({"A"});
    open();
    dlg->UpdateData(true);
    dlg->UpdateData(false);
    EXPECT_EQ(unknownIds(*dlg), std::set<int>{});

    CTimeDlg time(boxes, dlg.get());
    time.Create();
    time.UpdateData(true);
    EXPECT_EQ(unknownIds(time), std::set<int>{});

    NoDial owner;
    CConnectingDlg* connecting = CConnectingDlg::create(owner, boxes, dlg.get());
    connecting->setStatusText("ダイヤル中 . . .");
    EXPECT_EQ(unknownIds(*connecting), std::set<int>{});
    connecting->destroy();

    CAboutDlg about(boxes, dlg.get());
    about.Create();
    EXPECT_EQ(unknownIds(about), std::set<int>{});
}

TEST(DialogTemplates, EachIsFoundByItsOwnIdAndNoControlIdIsListedTwice)
{
    for (const int id : {IDD_ABOUTBOX, IDD_TELMAQ_DIALOG, IDD_CONNECTING, IDD_TIME}) {
        const DialogTemplate* found = findDialogTemplate(id);
        ASSERT_NE(found, nullptr) << id;
        EXPECT_EQ(found->id, id);
        std::set<int> ids;
        for (const ControlTemplate& c : found->controls)
            EXPECT_TRUE(c.id < 0 || ids.insert(c.id).second) << id << " lists " << c.id << " twice";
    }
    EXPECT_EQ(findDialogTemplate(IDR_MAINFRAME), nullptr);
}

} // namespace
} // namespace telmaq::test
