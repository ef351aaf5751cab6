#include "platform/win32/Win32ProcessLauncher.h"

#include "platform/win32/Win32Text.h"

#include <windows.h>

#include <vector>

namespace telmaq {

ProcessHandle Win32ProcessLauncher::start(const std::string& commandLine, std::string* error)
{
    // The program starts as this one was started (minimised, say), as the user expects.
    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    PROCESS_INFORMATION info{};
    // CreateProcessA may write into the command line it is given.
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        if (error)
            *error = win32::systemErrorText(GetLastError());
        return kNoProcess;
    }
    CloseHandle(info.hThread);
    return static_cast<ProcessHandle>(reinterpret_cast<std::intptr_t>(info.hProcess));
}

bool Win32ProcessLauncher::hasEnded(ProcessHandle process)
{
    if (process == kNoProcess)
        return true;
    return WaitForSingleObject(reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(process)), 0) != WAIT_TIMEOUT;
}

void Win32ProcessLauncher::close(ProcessHandle process)
{
    if (process != kNoProcess)
        CloseHandle(reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(process)));
}

} // namespace telmaq
