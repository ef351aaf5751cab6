#include "ui/framework/qt/QtSortedComboBox.h"

#include <gtest/gtest.h>

namespace telmaq::test {
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
    QtSortedComboBox combo;
    for (const char* name : {"zeta", "Alpha", "beta", "ALPHA2", "さくら回線", "アサヒネット", "かもめ", "いなか"})
        combo.addSortedItem(QString::fromUtf8(name));
    // Latin before kana, hiragana in gojūon order, katakana beside the matching hiragana.
    EXPECT_EQ(items(combo),
              (QStringList{"Alpha", "ALPHA2", "beta", "zeta", "アサヒネット", "いなか", "かもめ", "さくら回線"}));
    std::vector<int> found; // a prefix is not a match
    for (const char* text : {"alpha", "いなか", "Alp", ""})
        found.push_back(combo.findStringExact(QString::fromUtf8(text)));
    EXPECT_EQ(found, (std::vector<int>{0, 5, -1, -1}));
    // Items that differ only in case keep one fixed order, not the order they were added in.
    QtSortedComboBox a, b;
    a.addSortedItem(QStringLiteral("abc"));
    a.addSortedItem(QStringLiteral("ABC"));
    b.addSortedItem(QStringLiteral("ABC"));
    b.addSortedItem(QStringLiteral("abc"));
    EXPECT_EQ(items(a), items(b));
}

} // namespace
} // namespace telmaq::test
