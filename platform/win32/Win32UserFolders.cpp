#include "platform/win32/Win32UserFolders.h"

#include "platform/win32/Win32Text.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <vector>

namespace telmaq {

std::string programFolder()
{
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size())
            break;
        path.resize(path.size() * 2);
    }
    std::string folder = win32::utf8(path.data());
    const std::size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : folder.substr(0, slash);
}

std::string localDataFolder()
{
    std::string base;
    wchar_t fromEnvironment[32768];
    const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", fromEnvironment, 32768);
    if (length > 0 && length < 32768) {
        base = win32::utf8(fromEnvironment);
    } else {
        wchar_t* known = nullptr;
        if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &known)))
            base = win32::utf8(known);
        CoTaskMemFree(known);
    }
    if (base.empty())
        return {};
    const std::string folder = base + "\\telmaq";
    if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return {};
    return folder;
}

} // namespace telmaq
