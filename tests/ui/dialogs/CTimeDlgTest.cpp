#include "ui/dialogs/CTimeDlg.h"
#include "ui/dialogs/ResourceIds.h"
#include "ui/framework/UpDownControl.h"
#include "ui/framework/WindowStyles.h"
#include "ui/framework/qt/DialogWindow.h"

#include "fakes/MessageBoxRecorder.h"
#include "ui/ModalWatcher.h"

#include <QTest>
#include <QtWidgets>
#include <gtest/gtest.h>

namespace telmaq::test {
namespace {

constexpr int kHours = IDC_HOUR, kMinutes = IDC_MINUTE, kSeconds = IDC_SECOND;

QLineEdit* edit(const CTimeDlg& dialog, int id)
{
    return qobject_cast<QLineEdit*>(qtControl(dialog, id));
}

// It opens with the caller's caption, time and arrow ranges; OK hands back the typed time,
// digits only.
TEST(CTimeDlg, HandsBackTheTypedTimeOnOk)
{
    MessageBoxRecorder boxes;
    CTimeDlg dialog(boxes);
    dialog.m_strCaption = "自動接続時刻の設定";
    dialog.m_nHour = 7;
    dialog.m_nMinute = 5;
    const auto edit = [&](int id) { return test::edit(dialog, id); };
    QStringList shown;
    std::vector<int> ranges; // of the arrows
    ModalWatcher opened([&](QDialog*) {
        shown << qtWindow(dialog)->windowTitle();
        for (int field : {kHours, kMinutes, kSeconds}) {
            shown << edit(field)->text();
            UpDownControl* upDown = dialog.upDown(field + 1);
            ranges.insert(ranges.end(), {upDown->lower(), upDown->upper()});
        }
        edit(kHours)->clear();
        QTest::keyClicks(edit(kHours), QStringLiteral("2a-3"));
        edit(kMinutes)->setText(QStringLiteral("59"));
        edit(kSeconds)->setText(QStringLiteral("58"));
        QTest::keyClick(edit(kSeconds), Qt::Key_Return);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    opened.timer.stop();
    EXPECT_EQ(shown, (QStringList{"自動接続時刻の設定", "7", "5", "0"}));
    EXPECT_EQ(ranges, (std::vector<int>{0, 23, 0, 59, 0, 59}));
    EXPECT_EQ(dialog.m_nHour, 23);
    EXPECT_EQ(dialog.m_nMinute, 59);
    EXPECT_EQ(dialog.m_nSecond, 58);
}

// A field out of its range, or no number, is named over the dialog, which stays open with the
// field focused and its text selected; Esc leaves the caller's time as it was, fields read
// before the refused one included. Only the first failing field speaks: the empty minutes
// after refused hours are not read.
TEST(CTimeDlg, RefusesAFieldOutOfRangeAndKeepsTheCallersTime)
{
    MessageBoxRecorder boxes;
    CTimeDlg dialog(boxes);
    dialog.m_nHour = 23;
    dialog.m_nMinute = 59;
    dialog.m_nSecond = 58;
    const auto edit = [&](int id) { return test::edit(dialog, id); };
    const auto values = [&] { return std::tuple(dialog.m_nHour, dialog.m_nMinute, dialog.m_nSecond); };
    using Case = std::tuple<int, const char*, const char*>;
    for (const auto& [field, typed, message] :
         {Case{kHours, "24", "0 から 23 までの整数を入力してください。"},
          Case{kMinutes, "60", "0 から 59 までの整数を入力してください。"},
          Case{kSeconds, "75", "0 から 59 までの整数を入力してください。"},
          Case{kMinutes, "", "整数を入力してください。"}, Case{kSeconds, "99999999999", "整数を入力してください。"}}) {
        boxes.shown.clear();
        std::tuple<bool, QWidget*, QString> afterOk;
        ModalWatcher watcher([&, field = field, typed = typed](QDialog*) {
            for (int f : {kHours, kMinutes, kSeconds})
                edit(f)->setText(QStringLiteral("1"));
            edit(field)->setText(QString::fromUtf8(typed));
            if (field == kHours)
                edit(kMinutes)->clear();
            qtControl(dialog, field == kSeconds ? kHours : kSeconds)->setFocus();
            qobject_cast<QPushButton*>(qtControl(dialog, IDOK))->click();
            afterOk = {dialog.isVisible(), qtWindow(dialog)->focusWidget(), edit(field)->selectedText()};
            QTest::keyClick(qtWindow(dialog), Qt::Key_Escape);
        });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        EXPECT_EQ(afterOk, std::tuple(true, qtControl(dialog, field), QString::fromUtf8(typed))) << message;
        EXPECT_EQ(values(), std::tuple(23, 59, 58)) << message;
        ASSERT_EQ(boxes.texts(), std::vector<std::string>{message});
        EXPECT_EQ(std::tuple(boxes.shown[0].title, boxes.shown[0].style, boxes.shown[0].owner),
                  std::tuple("telmaq", 0x30u, static_cast<Dialog*>(&dialog)));
    }
}

} // namespace
} // namespace telmaq::test
