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
    void stopDialing() override { ++stops; }
    int stops = 0;
};

class ConnectingDlgTest : public ::testing::Test
{
protected:
    QWidget ownerWindow;
    FakeOwner owner;
    test::MessageBoxRecorder boxes;
};

TEST_F(ConnectingDlgTest, ShowsCaptionAndStatusAndGoesQuietlyWhenTheConnectTakesItDown)
{
    QPointer<CConnectingDlg> dialog = CConnectingDlg::create(owner, boxes, &ownerWindow);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("接続中"));
    EXPECT_EQ(dialog->parentWidget(), &ownerWindow);
    EXPECT_TRUE(qobject_cast<QPushButton*>(dialog->GetDlgItem(IDCANCEL))->isDefault());

    IConnectingView* view = dialog;
    view->setCaption("ﾌﾟﾛﾊﾞｲﾀﾞ に接続");
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("ﾌﾟﾛﾊﾞｲﾀﾞ に接続"));
    view->setStatusText("ダイヤル 1\nリダイヤルまであと 30 秒");
    auto* status = qobject_cast<QLabel*>(dialog->GetDlgItem(IDC_STATUS));
    EXPECT_EQ(status->text(), QStringLiteral("ダイヤル 1\nリダイヤルまであと 30 秒"));
    EXPECT_GE(status->height(), 2 * status->fontMetrics().lineSpacing()) << "both lines fit";

    view->placeInFront(40, 30);
    const ScreenRect rect = view->windowRect();
    EXPECT_EQ(rect.left, 40);
    EXPECT_EQ(rect.top, 30);
    EXPECT_EQ(rect.width(), dialog->frameGeometry().width());

    view->destroy();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(owner.stops, 0) << "nothing is asked of the owner";
    EXPECT_TRUE(test::waitUntil([&] { return dialog.isNull(); }));
}

TEST_F(ConnectingDlgTest, CancelCloseBoxEscAndEnterEachStopTheDialAndFreeTheDialog)
{
    const std::pair<const char*, std::function<void(CConnectingDlg&)>> ways[] = {
        {"Cancel", [](CConnectingDlg& d) { qobject_cast<QPushButton*>(d.GetDlgItem(IDCANCEL))->click(); }},
        {"close box", [](CConnectingDlg& d) { d.close(); }},
        {"Esc", [](CConnectingDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
        {"Enter",
         [](CConnectingDlg& d) {
             d.GetDlgItem(IDCANCEL)->setFocus();
             QTest::keyClick(&d, Qt::Key_Return);
         }},
    };
    for (const auto& [name, cancel] : ways) {
        SCOPED_TRACE(name);
        owner.stops = 0;
        QPointer<CConnectingDlg> dialog = CConnectingDlg::create(owner, boxes, &ownerWindow);
        cancel(*dialog);
        ASSERT_FALSE(dialog.isNull());
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_FALSE(dialog->isWindowAlive());
        EXPECT_GE(owner.stops, 1);
        EXPECT_TRUE(test::waitUntil([&] { return dialog.isNull(); }));
    }
    EXPECT_TRUE(boxes.shown.empty());
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

    window = std::make_unique<QWidget>();
    dialog = CConnectingDlg::create(owner, boxes, window.get());
    window.reset();
    EXPECT_TRUE(dialog.isNull());
}

} // namespace
} // namespace telmaq
