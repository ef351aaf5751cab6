#include "ui/framework/qt/QtUpDownControl.h"

#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <functional>

namespace telmaq::test {
namespace {

TEST(UpDownControl, ArrowsAndKeysStepTheBuddyStopAtTheBoundsAndMendOddTexts)
{
    QLineEdit buddy;
    QtUpDownControl upDown;
    upDown.setBuddy(&buddy);
    upDown.setRange(0, 23);
    const auto up = [&] { upDown.upButton()->click(); };
    const auto down = [&] { upDown.downButton()->click(); };
    const auto key = [&](Qt::Key k) { return [&buddy, k] { QTest::keyClick(&buddy, k); }; };
    using Step = std::tuple<const char*, std::function<void()>, const char*>;
    // A value out of range steps from the bound; no number at all from the last value shown.
    for (const auto& [before, press, after] :
         {Step{"22", up, "23"}, Step{"23", up, "23"}, Step{"0", down, "0"}, Step{"0", key(Qt::Key_Up), "1"},
          Step{"1", key(Qt::Key_Down), "0"}, Step{"75", down, "22"}, Step{"", up, "23"},
          Step{"99999999999999", up, "23"}}) {
        buddy.setText(QString::fromUtf8(before));
        press();
        EXPECT_EQ(buddy.text(), QString::fromUtf8(after)) << before;
    }
}

} // namespace
} // namespace telmaq::test
