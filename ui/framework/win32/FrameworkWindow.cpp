#include "ui/framework/win32/FrameworkWindow.h"

#include "platform/win32/Win32Text.h"

#include <deque>

namespace telmaq::win32 {

namespace {

constexpr UINT kRunPosted = WM_APP + 1;

std::deque<std::function<void()>>& posted()
{
    static std::deque<std::function<void()>> calls;
    return calls;
}

LRESULT CALLBACK frameworkProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != kRunPosted)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    if (posted().empty())
        return 0;
    const std::function<void()> call = std::move(posted().front());
    posted().pop_front();
    call();
    return 0;
}

HWND frameworkWindow()
{
    static const HWND window = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = frameworkProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"telmaqFramework";
        RegisterClassW(&windowClass);
        return CreateWindowExW(0, L"telmaqFramework", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    }();
    return window;
}

} // namespace

void postToFramework(std::function<void()> call)
{
    posted().push_back(std::move(call));
    PostMessageW(frameworkWindow(), kRunPosted, 0, 0);
}

HICON programIcon()
{
    constexpr WORD kApplicationIcon = 32512; // IDI_APPLICATION, whose macro is the narrow kind
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    return icon ? icon : LoadIconW(nullptr, MAKEINTRESOURCEW(kApplicationIcon));
}

std::wstring wide(const std::string& text)
{
    if (text.empty())
        return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size);
    return result;
}

std::string windowTextUtf8(HWND window)
{
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(window, text.data(), length + 1);
    return utf8(text.c_str());
}

} // namespace telmaq::win32
