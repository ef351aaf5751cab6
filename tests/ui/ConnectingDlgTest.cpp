#include "ui/CConnectingDlg.h"
#include "ui/WindowStyles.h"

#include "fakes/MessageBoxRecorder.h"
#include "support/WaitUntil.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace telmaq {
namespace {

constexpr int IDC_STATUS = 1034;

struct FakeOwner : IConnectingDlgOwner
{
    void stopDialing() override
    {
        m_bKeepDialing = false;
        ++stops;
    }
    bool m_bKeepDialing = true;
    int stops = 0;
};

class ConnectingDlgTest : public ::testing::Test
{
protected:
    CConnectingDlg* open()
    {
        CConnectingDlg* dialog = CConnectingDlg::create(owner, boxes, &ownerWindow);
        tracked = dialog;
        return dialog;
    }

    // The window went at once, the flag is clear, and the object frees itself soon after.
    void expectCancelled()
    {
        ASSERT_FALSE(tracked.isNull());
        EXPECT_FALSE(tracked->isVisible());
        EXPECT_FALSE(tracked->isWindowAlive());
        EXPECT_FALSE(owner.m_bKeepDialing);
        EXPECT_GE(owner.stops, 1);
        EXPECT_TRUE(test::waitUntil([&] { return tracked.isNull(); }));
        EXPECT_TRUE(boxes.shown.empty());
    }

    QWidget ownerWindow;
    FakeOwner owner;
    test::MessageBoxRecorder boxes;
    QPointer<CConnectingDlg> tracked;
};

TEST_F(ConnectingDlgTest, OpensVisibleWithAnEmptyStatusOverItsOwner)
{
    CConnectingDlg* dialog = open();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("接続中"));
    EXPECT_EQ(dialog->GetDlgItemText(IDC_STATUS), "");
    EXPECT_EQ(dialog->parentWidget(), &ownerWindow);
    auto* cancel = qobject_cast<QPushButton*>(dialog->GetDlgItem(IDCANCEL));
    ASSERT_NE(cancel, nullptr);
    EXPECT_TRUE(cancel->isDefault());
    EXPECT_EQ(cancel->text(), QStringLiteral("ｷｬﾝｾﾙ"));
    dialog->destroy();
    EXPECT_TRUE(test::waitUntil([&] { return tracked.isNull(); }));
}

TEST_F(ConnectingDlgTest, ShowsCaptionAndStatusIncludingTheTwoCountdownLines)
{
    IConnectingView* view = open();
    view->setCaption("ﾌﾟﾛﾊﾞｲﾀﾞ に接続");
    EXPECT_EQ(tracked->windowTitle(), QStringLiteral("ﾌﾟﾛﾊﾞｲﾀﾞ に接続"));
    view->setStatusText("ダイヤル中 . . .");
    EXPECT_EQ(tracked->GetDlgItemText(IDC_STATUS), "ダイヤル中 . . .");
    view->setStatusText("ダイヤル 1\nリダイヤルまであと 30 秒");
    auto* status = qobject_cast<QLabel*>(tracked->GetDlgItem(IDC_STATUS));
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->text(), QStringLiteral("ダイヤル 1\nリダイヤルまであと 30 秒"));
    // Both lines fit the control.
    EXPECT_GE(status->height(), 2 * status->fontMetrics().lineSpacing());

    view->placeInFront(40, 30);
    const ScreenRect rect = view->windowRect();
    EXPECT_EQ(rect.left, 40);
    EXPECT_EQ(rect.top, 30);
    EXPECT_EQ(rect.width(), tracked->frameGeometry().width());
    EXPECT_EQ(rect.height(), tracked->frameGeometry().height());

    // Taken down by the connect procedure: the flag stays set and nothing is asked of the owner.
    view->destroy();
    EXPECT_FALSE(tracked->isVisible());
    EXPECT_TRUE(owner.m_bKeepDialing);
    EXPECT_EQ(owner.stops, 0);
    EXPECT_TRUE(test::waitUntil([&] { return tracked.isNull(); }));
}

TEST_F(ConnectingDlgTest, CancelButtonStopsTheDialAndTakesTheWindowDown)
{
    CConnectingDlg* dialog = open();
    qobject_cast<QPushButton*>(dialog->GetDlgItem(IDCANCEL))->click();
    expectCancelled();
}

TEST_F(ConnectingDlgTest, CloseBoxDoesTheSameAsCancel)
{
    CConnectingDlg* dialog = open();
    dialog->close();
    expectCancelled();
}

TEST_F(ConnectingDlgTest, EscDoesTheSameAsCancel)
{
    CConnectingDlg* dialog = open();
    QTest::keyClick(dialog, Qt::Key_Escape);
    expectCancelled();
}

TEST_F(ConnectingDlgTest, EnterDoesTheSameAsCancel)
{
    CConnectingDlg* dialog = open();
    dialog->GetDlgItem(IDCANCEL)->setFocus();
    QTest::keyClick(dialog, Qt::Key_Return);
    expectCancelled();
}

TEST_F(ConnectingDlgTest, AnOwnerThatGoesFirstTakesTheDialogWithIt)
{
    auto window = std::make_unique<QWidget>();
    QPointer<CConnectingDlg> dialog = CConnectingDlg::create(owner, boxes, window.get());
    dialog->destroy();
    // The owner goes before the deferred free runs; the dialog must be freed exactly once.
    window.reset();
    EXPECT_TRUE(dialog.isNull());
    QTest::qWait(20);

    auto another = std::make_unique<QWidget>();
    dialog = CConnectingDlg::create(owner, boxes, another.get());
    another.reset();
    EXPECT_TRUE(dialog.isNull());
}

} // namespace
} // namespace telmaq
