#include "ui/framework/DesktopOpener.h"

#include "platform/win32/Win32Text.h"
#include "ui/framework/Dialog.h"
#include "ui/framework/win32/DialogWindow.h"

#include <shellapi.h>

namespace telmaq {

void openWithDesktop(Dialog& owner, const std::string& path, std::function<void()> onFailure)
{
    // The shell answers at once; a value of 32 or less is its failure.
    const auto answer = reinterpret_cast<INT_PTR>(
        ShellExecuteW(owner.window().handle(), L"open", win32::wide(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (answer <= 32 && onFailure)
        owner.postCall(std::move(onFailure));
}

std::string programFilePath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return win32::utf8(path.c_str());
        }
        path.resize(path.size() * 2);
    }
}

} // namespace telmaq
