#include "ui/framework/win32/Win32SortedComboBox.h"

#include "platform/win32/Win32Text.h"

namespace telmaq {

namespace {

bool lessThan(const std::wstring& a, const std::wstring& b)
{
    const int order = CompareStringEx(L"ja-JP", LINGUISTIC_IGNORECASE, a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                      static_cast<int>(b.size()), nullptr, nullptr, 0);
    if (order != CSTR_EQUAL && order != 0)
        return order == CSTR_LESS_THAN;
    return a < b;
}

} // namespace

std::wstring Win32SortedComboBox::itemAt(int index) const
{
    const LRESULT length = SendMessageW(m_combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR)
        return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(m_combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

int Win32SortedComboBox::addSortedItem(const std::string& text)
{
    const std::wstring item = win32::wide(text);
    int low = 0;
    int high = itemCount();
    while (low < high) {
        const int mid = (low + high) / 2;
        if (lessThan(item, itemAt(mid)))
            high = mid;
        else
            low = mid + 1;
    }
    SendMessageW(m_combo, CB_INSERTSTRING, static_cast<WPARAM>(low), reinterpret_cast<LPARAM>(item.c_str()));
    return low;
}

int Win32SortedComboBox::findStringExact(const std::string& text) const
{
    const std::wstring wanted = win32::wide(text);
    for (int i = 0; i < itemCount(); ++i) {
        const std::wstring item = itemAt(i);
        if (CompareStringOrdinal(item.c_str(), static_cast<int>(item.size()), wanted.c_str(),
                                 static_cast<int>(wanted.size()), TRUE) == CSTR_EQUAL)
            return i;
    }
    return -1;
}

int Win32SortedComboBox::itemCount() const
{
    return static_cast<int>(SendMessageW(m_combo, CB_GETCOUNT, 0, 0));
}

std::string Win32SortedComboBox::itemTextAt(int index) const
{
    if (index < 0 || index >= itemCount())
        return {};
    return win32::utf8(itemAt(index).c_str());
}

int Win32SortedComboBox::selectedIndex() const
{
    const LRESULT index = SendMessageW(m_combo, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? -1 : static_cast<int>(index);
}

void Win32SortedComboBox::selectIndex(int index)
{
    SendMessageW(m_combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void Win32SortedComboBox::setRedraw(bool redraw)
{
    SendMessageW(m_combo, WM_SETREDRAW, redraw, 0);
    if (redraw)
        InvalidateRect(m_combo, nullptr, TRUE);
}

} // namespace telmaq
