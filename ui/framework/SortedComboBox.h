#pragma once

#include <string>

namespace telmaq {

// A drop-down list that keeps its items in the order a Japanese user expects: letter case
// ignored, kana and kanji in the Japanese collation order. Items with the same collation key
// keep a stable, case-sensitive order so the list never shuffles between runs. Texts are UTF-8.
class SortedComboBox
{
public:
    virtual ~SortedComboBox() = default;

    // Inserts the text at its sorted place and returns that index.
    virtual int addSortedItem(const std::string& text) = 0;
    // The index of the item whose whole text equals text ignoring letter case, or -1.
    virtual int findStringExact(const std::string& text) const = 0;

    virtual int itemCount() const = 0;
    // Empty for an index out of range.
    virtual std::string itemTextAt(int index) const = 0;
    // -1 when nothing is selected.
    virtual int selectedIndex() const = 0;
    // Selects without notifying the dialog, as the list's own selection call does.
    virtual void selectIndex(int index) = 0;
    // Off while many items go in, so the list is drawn once at the end.
    virtual void setRedraw(bool redraw) = 0;
};

} // namespace telmaq
