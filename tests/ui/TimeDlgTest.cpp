#include "ui/CTimeDlg.h"
#include "ui/UpDownControl.h"
#include "ui/WindowStyles.h"

#include "fakes/MessageBoxRecorder.h"
#include "support/WaitUntil.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>

namespace telmaq {
namespace {

constexpr int kHours = 1042;
constexpr int kMinutes = 1044;
constexpr int kSeconds = 1046;

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

TEST_F(TimeDlgTest, OpensWithTheCallersCaptionAndValuesWithoutLeadingZeros)
{
    QString hours, minutes, seconds, caption;
    EXPECT_EQ(run([&] {
                  hours = edit(kHours)->text();
                  minutes = edit(kMinutes)->text();
                  seconds = edit(kSeconds)->text();
                  caption = dialog.windowTitle();
                  press(IDOK);
              }),
              IDOK);
    EXPECT_EQ(hours, QStringLiteral("7"));
    EXPECT_EQ(minutes, QStringLiteral("5"));
    EXPECT_EQ(seconds, QStringLiteral("0"));
    EXPECT_EQ(caption, QStringLiteral("自動接続時刻の設定"));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(TimeDlgTest, OkHandsBackTheTypedTime)
{
    EXPECT_EQ(run([&] {
                  edit(kHours)->setText(QStringLiteral("23"));
                  edit(kMinutes)->setText(QStringLiteral("59"));
                  edit(kSeconds)->setText(QStringLiteral("58"));
                  press(IDOK);
              }),
              IDOK);
    EXPECT_EQ(dialog.m_nHour, 23);
    EXPECT_EQ(dialog.m_nMinute, 59);
    EXPECT_EQ(dialog.m_nSecond, 58);
}

TEST_F(TimeDlgTest, HoursOutOfRangeAskForZeroToTwentyThreeAndKeepTheDialogOpen)
{
    bool openAfterOk = false;
    QWidget* focusedAfterOk = nullptr;
    EXPECT_EQ(run([&] {
                  edit(kHours)->setText(QStringLiteral("24"));
                  edit(kMinutes)->setText(QString());
                  dialog.GetDlgItem(kSeconds)->setFocus();
                  press(IDOK);
                  openAfterOk = dialog.isVisible();
                  focusedAfterOk = dialog.focusWidget();
                  press(IDCANCEL);
              }),
              IDCANCEL);
    EXPECT_TRUE(openAfterOk);
    EXPECT_EQ(focusedAfterOk, dialog.GetDlgItem(kHours));
    // Only the first failing field speaks; the empty minutes after it are not read.
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"0 から 23 までの整数を入力してください。"});
    EXPECT_EQ(boxes.shown[0].title, "telmaq");
    EXPECT_EQ(boxes.shown[0].style, 0x30u);
}

TEST_F(TimeDlgTest, MinutesAndSecondsOutOfRangeAskForZeroToFiftyNine)
{
    QWidget* focusedOnMinutes = nullptr;
    QWidget* focusedOnSeconds = nullptr;
    run([&] {
        edit(kMinutes)->setText(QStringLiteral("60"));
        press(IDOK);
        focusedOnMinutes = dialog.focusWidget();
        edit(kMinutes)->setText(QStringLiteral("59"));
        edit(kSeconds)->setText(QStringLiteral("75"));
        press(IDOK);
        focusedOnSeconds = dialog.focusWidget();
        press(IDCANCEL);
    });
    EXPECT_EQ(boxes.texts(), (std::vector<std::string>{"0 から 59 までの整数を入力してください。",
                                                       "0 から 59 までの整数を入力してください。"}));
    EXPECT_EQ(focusedOnMinutes, dialog.GetDlgItem(kMinutes));
    EXPECT_EQ(focusedOnSeconds, dialog.GetDlgItem(kSeconds));
}

TEST_F(TimeDlgTest, EmptyMinutesAskForAnInteger)
{
    QWidget* focused = nullptr;
    run([&] {
        edit(kMinutes)->clear();
        press(IDOK);
        focused = dialog.focusWidget();
        press(IDCANCEL);
    });
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"整数を入力してください。"});
    EXPECT_EQ(focused, dialog.GetDlgItem(kMinutes));
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
        auto* hours = qobject_cast<UpDownControl*>(dialog.GetDlgItem(1043));
        auto* minutes = qobject_cast<UpDownControl*>(dialog.GetDlgItem(1045));
        auto* seconds = qobject_cast<UpDownControl*>(dialog.GetDlgItem(1047));
        ASSERT_TRUE(hours && minutes && seconds);
        EXPECT_EQ(hours->buddy(), edit(kHours));
        EXPECT_EQ(minutes->buddy(), edit(kMinutes));
        EXPECT_EQ(seconds->buddy(), edit(kSeconds));

        edit(kHours)->setText(QStringLiteral("22"));
        for (int i = 0; i < 3; ++i)
            hours->upButton()->click();
        seen << edit(kHours)->text();
        for (int i = 0; i < 30; ++i)
            hours->downButton()->click();
        seen << edit(kHours)->text();
        edit(kMinutes)->setText(QStringLiteral("57"));
        for (int i = 0; i < 5; ++i)
            minutes->upButton()->click();
        seen << edit(kMinutes)->text();
        for (int i = 0; i < 2; ++i)
            seconds->downButton()->click();
        seen << edit(kSeconds)->text();
        for (int i = 0; i < 70; ++i)
            QTest::keyClick(edit(kSeconds), Qt::Key_Up);
        seen << edit(kSeconds)->text();
        press(IDOK);
    });
    EXPECT_EQ(seen, (QStringList{"23", "0", "59", "0", "59"}));
    EXPECT_EQ(dialog.m_nHour, 0);
    EXPECT_EQ(dialog.m_nMinute, 59);
    EXPECT_EQ(dialog.m_nSecond, 59);
}

TEST_F(TimeDlgTest, EditsTakeDigitsOnly)
{
    run([&] {
        edit(kHours)->clear();
        QTest::keyClicks(edit(kHours), QStringLiteral("1a-2"));
        EXPECT_EQ(edit(kHours)->text(), QStringLiteral("12"));
        press(IDOK);
    });
    EXPECT_EQ(dialog.m_nHour, 12);
}

} // namespace
} // namespace telmaq
