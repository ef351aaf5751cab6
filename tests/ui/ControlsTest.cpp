#include "ui/SortedComboBox.h"
#include "ui/UpDownControl.h"

#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>

namespace telmaq {
namespace {

QStringList items(const QComboBox& combo)
{
    QStringList result;
    for (int i = 0; i < combo.count(); ++i)
        result << combo.itemText(i);
    return result;
}

TEST(SortedComboBox, SortsIgnoringCaseInAJapaneseReadersOrderAndFindsWholeTexts)
{
    SortedComboBox combo;
    for (const char* name : {"zeta", "Alpha", "beta", "ALPHA2", "さくら回線", "アサヒネット", "かもめ", "いなか"})
        combo.addSortedItem(QString::fromUtf8(name));
    // Latin before kana, hiragana in gojūon order, katakana beside the matching hiragana.
    EXPECT_EQ(items(combo),
              (QStringList{"Alpha", "ALPHA2", "beta", "zeta", "アサヒネット", "いなか", "かもめ", "さくら回線"}));
    EXPECT_EQ(combo.findStringExact(QStringLiteral("alpha")), 0);
    EXPECT_EQ(combo.findStringExact(QStringLiteral("いなか")), 5);
    EXPECT_EQ(combo.findStringExact(QStringLiteral("Alp")), -1) << "a prefix is not a match";
    EXPECT_EQ(combo.findStringExact(QString()), -1);

    // Items that differ only in case keep one fixed order, not the order they were added in.
    SortedComboBox a, b;
    a.addSortedItem(QStringLiteral("abc"));
    a.addSortedItem(QStringLiteral("ABC"));
    b.addSortedItem(QStringLiteral("ABC"));
    b.addSortedItem(QStringLiteral("abc"));
    EXPECT_EQ(items(a), items(b));
}

TEST(UpDownControl, ArrowsAndKeysStepTheBuddyStopAtTheBoundsAndMendOddTexts)
{
    QLineEdit buddy;
    UpDownControl upDown;
    upDown.setBuddy(&buddy);
    upDown.setRange(0, 23);
    struct Step
    {
        const char* before;
        std::function<void()> press;
        const char* after;
    };
    const auto up = [&] { upDown.upButton()->click(); };
    const auto down = [&] { upDown.downButton()->click(); };
    const Step steps[] = {
        {"22", up, "23"},
        {"23", up, "23"},
        {"0", down, "0"},
        {"0", [&] { QTest::keyClick(&buddy, Qt::Key_Up); }, "1"},
        {"1", [&] { QTest::keyClick(&buddy, Qt::Key_Down); }, "0"},
        // A value out of range steps from the bound; no number at all from the last value shown.
        {"75", down, "22"},
        {"", up, "23"},
        {"99999999999999", up, "23"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.before);
        buddy.setText(QString::fromUtf8(s.before));
        s.press();
        EXPECT_EQ(buddy.text(), QString::fromUtf8(s.after));
    }
}

} // namespace
} // namespace telmaq
