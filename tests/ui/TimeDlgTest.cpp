#include "ui/CTimeDlg.h"
#include "ui/UpDownControl.h"
#include "ui/WindowStyles.h"

#include "fakes/MessageBoxRecorder.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>

namespace telmaq {
namespace {

constexpr int kHours = 1042, kMinutes = 1044, kSeconds = 1046;

class TimeDlgTest : public ::testing::Test
{
protected:
    TimeDlgTest() : dialog(boxes)
    {
        dialog.m_strCaption = "自動接続時刻の設定";
        dialog.m_nHour = 7;
        dialog.m_nMinute = 5;
        dialog.m_nSecond = 0;
    }

    // Runs the dialog modally with the steps done inside its run; returns its end code.
    int run(std::function<void()> steps)
    {
        QTimer::singleShot(0, &dialog, [this, steps] {
            steps();
            // A dialog still open after the steps is closed here, so the run always ends.
            if (dialog.isVisible())
                dialog.EndDialog(99);
        });
        return dialog.DoModal();
    }

    QLineEdit* edit(int id) { return qobject_cast<QLineEdit*>(dialog.GetDlgItem(id)); }
    void press(int id) { qobject_cast<QPushButton*>(dialog.GetDlgItem(id))->click(); }

    test::MessageBoxRecorder boxes;
    CTimeDlg dialog;
};

TEST_F(TimeDlgTest, OpensWithTheCallersValuesAndHandsBackTheTypedTime)
{
    QStringList shown;
    EXPECT_EQ(run([&] {
                  shown << dialog.windowTitle() << edit(kHours)->text() << edit(kMinutes)->text()
                        << edit(kSeconds)->text();
                  edit(kHours)->clear();
                  QTest::keyClicks(edit(kHours), QStringLiteral("2a-3"));
                  edit(kMinutes)->setText(QStringLiteral("59"));
                  edit(kSeconds)->setText(QStringLiteral("58"));
                  press(IDOK);
              }),
              IDOK);
    EXPECT_EQ(shown, (QStringList{"自動接続時刻の設定", "7", "5", "0"}));
    EXPECT_EQ(dialog.m_nHour, 23) << "the edits take digits only";
    EXPECT_EQ(dialog.m_nMinute, 59);
    EXPECT_EQ(dialog.m_nSecond, 58);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(TimeDlgTest, ARefusedFieldNamesItsRangeTakesTheFocusAndKeepsTheDialogOpen)
{
    struct Case
    {
        int field;
        const char* typed;
        const char* message;
    };
    // The empty minutes after the refused hours are not read: only the first failing field speaks.
    for (const Case& c : {Case{kHours, "24", "0 から 23 までの整数を入力してください。"},
                          Case{kMinutes, "60", "0 から 59 までの整数を入力してください。"},
                          Case{kSeconds, "75", "0 から 59 までの整数を入力してください。"},
                          Case{kMinutes, "", "整数を入力してください。"}}) {
        SCOPED_TRACE(c.message);
        boxes.shown.clear();
        bool openAfterOk = false;
        QWidget* focusedAfterOk = nullptr;
        EXPECT_EQ(run([&] {
                      for (int field : {kHours, kMinutes, kSeconds})
                          edit(field)->setText(QStringLiteral("1"));
                      edit(c.field)->setText(QString::fromUtf8(c.typed));
                      if (c.field == kHours)
                          edit(kMinutes)->clear();
                      dialog.GetDlgItem(c.field == kSeconds ? kHours : kSeconds)->setFocus();
                      press(IDOK);
                      openAfterOk = dialog.isVisible();
                      focusedAfterOk = dialog.focusWidget();
                      press(IDCANCEL);
                  }),
                  IDCANCEL);
        EXPECT_TRUE(openAfterOk);
        EXPECT_EQ(focusedAfterOk, dialog.GetDlgItem(c.field));
        EXPECT_EQ(boxes.texts(), std::vector<std::string>{c.message});
        EXPECT_EQ(boxes.shown[0].style, 0x30u);
    }
}

TEST_F(TimeDlgTest, CancelAnswersTwoAndLeavesTheCallersValues)
{
    EXPECT_EQ(run([&] {
                  edit(kHours)->setText(QStringLiteral("12"));
                  edit(kMinutes)->setText(QStringLiteral("99"));
                  // A refused OK on the way must not leak the typed hours either.
                  press(IDOK);
                  QTest::keyClick(&dialog, Qt::Key_Escape);
              }),
              IDCANCEL);
    EXPECT_EQ(dialog.m_nHour, 7);
    EXPECT_EQ(dialog.m_nMinute, 5);
    EXPECT_EQ(dialog.m_nSecond, 0);
}

TEST_F(TimeDlgTest, ArrowsStopAtTheBoundsOfEachField)
{
    QStringList seen;
    run([&] {
        auto clicks = [&](int upDownId, bool up, int times) {
            auto* upDown = qobject_cast<UpDownControl*>(dialog.GetDlgItem(upDownId));
            for (int i = 0; i < times; ++i)
                (up ? upDown->upButton() : upDown->downButton())->click();
            seen << edit(upDownId - 1)->text();
        };
        edit(kHours)->setText(QStringLiteral("22"));
        clicks(kHours + 1, true, 3);
        clicks(kHours + 1, false, 30);
        edit(kMinutes)->setText(QStringLiteral("57"));
        clicks(kMinutes + 1, true, 5);
        clicks(kSeconds + 1, false, 2);
        for (int i = 0; i < 70; ++i)
            QTest::keyClick(edit(kSeconds), Qt::Key_Up);
        seen << edit(kSeconds)->text();
        press(IDOK);
    });
    EXPECT_EQ(seen, (QStringList{"23", "0", "59", "0", "59"}));
    EXPECT_EQ(dialog.m_nHour, 0);
    EXPECT_EQ(dialog.m_nSecond, 59);
}

} // namespace
} // namespace telmaq
