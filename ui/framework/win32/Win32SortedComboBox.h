#pragma once

#include "ui/framework/SortedComboBox.h"

#include "ui/framework/win32/WinApi.h"

namespace telmaq {

// A drop-down list kept in the Japanese order by the program itself: the control's own sort
// compares code units.
class Win32SortedComboBox : public SortedComboBox
{
public:
    explicit Win32SortedComboBox(HWND combo) : m_combo(combo) {}

    int addSortedItem(const std::string& text) override;
    int findStringExact(const std::string& text) const override;
    int itemCount() const override;
    std::string itemTextAt(int index) const override;
    int selectedIndex() const override;
    void selectIndex(int index) override;
    void setRedraw(bool redraw) override;

private:
    std::wstring itemAt(int index) const;

    HWND m_combo;
};

} // namespace telmaq
