#pragma once

#include <QCollator>
#include <QComboBox>

namespace telmaq {

// A drop-down list that keeps its items in the order a Japanese user expects: letter case
// ignored, kana and kanji in the Japanese collation order. Items with the same collation key
// keep a stable, case-sensitive order so the list never shuffles between runs.
class SortedComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit SortedComboBox(QWidget* parent = nullptr);

    // Inserts the text at its sorted place and returns that index.
    int addSortedItem(const QString& text);

    // The index of the item whose whole text equals text ignoring letter case, or -1.
    int findStringExact(const QString& text) const;

private:
    bool lessThan(const QString& a, const QString& b) const;

    QCollator m_collator;
};

} // namespace telmaq
