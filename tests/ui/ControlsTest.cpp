#include "ui/SortedComboBox.h"
#include "ui/UpDownControl.h"

#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace telmaq {
namespace {

QStringList items(const QComboBox& combo)
{
    QStringList result;
    for (int i = 0; i < combo.count(); ++i)
        result << combo.itemText(i);
    return result;
}

TEST(SortedComboBox, KeepsItemsSortedIgnoringCaseWhateverOrderTheyCameIn)
{
    SortedComboBox combo;
    for (const char* name : {"zeta", "Alpha", "beta", "ALPHA2", "Gamma"})
        combo.addSortedItem(QString::fromUtf8(name));
    EXPECT_EQ(items(combo), (QStringList{"Alpha", "ALPHA2", "beta", "Gamma", "zeta"}));

    // Items that differ only in case keep one fixed order, not the order they were added in.
    SortedComboBox a;
    a.addSortedItem(QStringLiteral("abc"));
    a.addSortedItem(QStringLiteral("ABC"));
    SortedComboBox b;
    b.addSortedItem(QStringLiteral("ABC"));
    b.addSortedItem(QStringLiteral("abc"));
    EXPECT_EQ(items(a), items(b));
}

TEST(SortedComboBox, PutsJapaneseNamesInAJapaneseReadersOrder)
{
    SortedComboBox combo;
    // Hiragana in gojūon order, katakana beside the matching hiragana, Latin before kana.
    for (const char* name : {"さくら回線", "アサヒネット", "かもめ", "Office", "いなか"})
        combo.addSortedItem(QString::fromUtf8(name));
    const QStringList sorted = items(combo);
    EXPECT_EQ(sorted.first(), QStringLiteral("Office"));
    EXPECT_LT(sorted.indexOf(QStringLiteral("アサヒネット")), sorted.indexOf(QStringLiteral("いなか")));
    EXPECT_LT(sorted.indexOf(QStringLiteral("いなか")), sorted.indexOf(QStringLiteral("かもめ")));
    EXPECT_LT(sorted.indexOf(QStringLiteral("かもめ")), sorted.indexOf(QStringLiteral("さくら回線")));
}

TEST(SortedComboBox, FindsAnItemByItsWholeTextIgnoringCase)
{
    SortedComboBox combo;
    for (const char* name : {"Provider", "Provider Backup", "プロバイダ"})
        combo.addSortedItem(QString::fromUtf8(name));
    EXPECT_EQ(combo.findStringExact(QStringLiteral("provider")), combo.findText(QStringLiteral("Provider")));
    EXPECT_EQ(combo.findStringExact(QStringLiteral("PROVIDER BACKUP")),
              combo.findText(QStringLiteral("Provider Backup")));
    EXPECT_EQ(combo.findStringExact(QStringLiteral("プロバイダ")), combo.findText(QStringLiteral("プロバイダ")));
    // A prefix is not a match.
    EXPECT_EQ(combo.findStringExact(QStringLiteral("Prov")), -1);
    EXPECT_EQ(combo.findStringExact(QString()), -1);
}

TEST(UpDownControl, ArrowsAndKeysStepTheBuddyAndStopAtTheBounds)
{
    QLineEdit buddy;
    UpDownControl upDown;
    upDown.setBuddy(&buddy);
    upDown.setRange(0, 23);
    buddy.setText(QStringLiteral("22"));

    upDown.upButton()->click();
    EXPECT_EQ(buddy.text(), QStringLiteral("23"));
    upDown.upButton()->click();
    EXPECT_EQ(buddy.text(), QStringLiteral("23"));

    buddy.setText(QStringLiteral("1"));
    upDown.downButton()->click();
    upDown.downButton()->click();
    EXPECT_EQ(buddy.text(), QStringLiteral("0"));

    QTest::keyClick(&buddy, Qt::Key_Up);
    EXPECT_EQ(buddy.text(), QStringLiteral("1"));
    QTest::keyClick(&buddy, Qt::Key_Down);
    QTest::keyClick(&buddy, Qt::Key_Down);
    EXPECT_EQ(buddy.text(), QStringLiteral("0"));
}

TEST(UpDownControl, TypedValuesOutsideTheRangeOrNoNumberAtAllStepFromSomewhereSensible)
{
    QLineEdit buddy;
    UpDownControl upDown;
    upDown.setBuddy(&buddy);
    upDown.setRange(0, 59);

    buddy.setText(QStringLiteral("75"));
    upDown.downButton()->click();
    EXPECT_EQ(buddy.text(), QStringLiteral("58"));

    // No number: the arrows go on from the last value they showed.
    buddy.clear();
    upDown.upButton()->click();
    EXPECT_EQ(buddy.text(), QStringLiteral("59"));

    buddy.setText(QStringLiteral("99999999999999"));
    upDown.upButton()->click();
    EXPECT_EQ(buddy.text(), QStringLiteral("59"));
}

} // namespace
} // namespace telmaq
