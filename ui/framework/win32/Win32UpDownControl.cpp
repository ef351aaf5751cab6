#include "ui/framework/win32/Win32UpDownControl.h"

#include <algorithm>

namespace telmaq {

void Win32UpDownControl::setRange(int lower, int upper)
{
    SendMessageW(m_upDown, UDM_SETRANGE32, static_cast<WPARAM>(lower), static_cast<LPARAM>(upper));
}

int Win32UpDownControl::lower() const
{
    int low = 0;
    int high = 0;
    SendMessageW(m_upDown, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
    return low;
}

int Win32UpDownControl::upper() const
{
    int low = 0;
    int high = 0;
    SendMessageW(m_upDown, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
    return high;
}

void Win32UpDownControl::stepBy(int delta)
{
    // UDM_GETPOS32 reads the buddy; when it holds no number the control's last position stands.
    BOOL failed = FALSE;
    int position = static_cast<int>(SendMessageW(m_upDown, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed)));
    const long long stepped = static_cast<long long>(position) + delta;
    position = static_cast<int>(std::clamp<long long>(stepped, lower(), upper()));
    SendMessageW(m_upDown, UDM_SETPOS32, 0, position);
}

} // namespace telmaq
