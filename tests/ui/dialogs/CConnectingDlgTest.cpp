#include "ui/dialogs/CConnectingDlg.h"
#include "ui/dialogs/DialogTemplates.h"
#include "ui/framework/WindowStyles.h"
#include "ui/framework/qt/DialogWindow.h"

#include "fakes/MessageBoxRecorder.h"
#include "support/WaitUntil.h"

#include <QTest>
#include <QtWidgets>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace telmaq::test {
namespace {

struct CountingOwner : IConnectingDlgOwner
{
    void stopDialing() override { ++stops; }
    int stops = 0;
};

// However it goes, it goes once. The connect's own destroy asks nothing of the owner; Cancel,
// the close box and Esc stop the dial and free the dialog only after their own click; an owner
// window that goes first takes the dialog with it, destroyed or not.
TEST(CConnectingDlg, ShowsTheStatusAndIsFreedOnceHoweverItEnds)
{
    MessageBoxRecorder boxes;
    std::unique_ptr<Dialog> window;
    using Case = std::tuple<const char*, std::function<void(CConnectingDlg&)>, bool>; // how, end, stops the dial
    for (const auto& [how, end, stops] :
         {Case{"destroy", [](CConnectingDlg& d) { d.destroy(); }, false},
          Case{"Cancel", [](CConnectingDlg& d) { qobject_cast<QPushButton*>(qtControl(d, IDCANCEL))->click(); }, true},
          Case{"close box", [](CConnectingDlg& d) { d.close(); }, true},
          Case{"Esc", [](CConnectingDlg& d) { QTest::keyClick(qtWindow(d), Qt::Key_Escape); }, true},
          Case{"owner window", [&](CConnectingDlg&) { window.reset(); }, false},
          Case{"destroy, owner window",
               [&](CConnectingDlg& d) {
                   d.destroy();
                   window.reset();
               },
               false}}) {
        window = std::make_unique<Dialog>(aboutDialogTemplate(), boxes);
        CountingOwner owner;
        CConnectingDlg* dialog = CConnectingDlg::create(owner, boxes, window.get());
        // The object goes with its window.
        QPointer<DialogWindow> alive = qtWindow(*dialog);
        IConnectingView* view = dialog;
        view->setStatusText("ダイヤル 1\nリダイヤルまであと 30 秒");
        auto* status = qobject_cast<QLabel*>(qtControl(*dialog, IDC_STATUS));
        EXPECT_EQ(status->text(), QStringLiteral("ダイヤル 1\nリダイヤルまであと 30 秒"));
        EXPECT_GE(status->height(), 2 * status->fontMetrics().lineSpacing()) << "both lines fit";
        view->placeInFront(40, 30);
        EXPECT_EQ(std::tuple(view->windowRect().left, view->windowRect().top), std::tuple(40, 30));
        end(*dialog);
        // Freed at once only along with the owner window, never from inside a click.
        EXPECT_EQ(alive.isNull(), !window) << how;
        EXPECT_FALSE(alive && (dialog->isVisible() || dialog->isWindowAlive())) << how;
        EXPECT_TRUE(waitUntil([&] { return alive.isNull(); })) << how;
        EXPECT_EQ(owner.stops > 0, stops) << how;
    }
    EXPECT_TRUE(boxes.shown.empty());
}

} // namespace
} // namespace telmaq::test
