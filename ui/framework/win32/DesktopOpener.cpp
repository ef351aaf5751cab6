#include "ui/framework/DesktopOpener.h"

#include "platform/win32/Win32Text.h"
#include "ui/framework/Dialog.h"
#include "ui/framework/win32/DialogWindow.h"

#include <objbase.h>
#include <shellapi.h>

namespace telmaq {

void openWithDesktop(Dialog& owner, const std::string& path, std::function<void()> onFailure)
{
    // The shell may hand the file on through extensions of its own, which are COM objects.
    static const HRESULT comReady = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    (void)comReady;
    const std::wstring file = win32::wide(path);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // The page is opened as HTML whatever its name ends in, so the help file's ".HLP" goes to
    // the user's browser and not to WinHlp32, which Windows no longer has. No message of the
    // shell's own: the failure is the caller's to tell.
    info.fMask = SEE_MASK_CLASSNAME | SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner.window().handle();
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.lpClass = L".html";
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info) && onFailure)
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
