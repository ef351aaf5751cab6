#include "Win32TestSupport.h"

#include <windows.h>

#include <vector>

namespace telmaq::test {

namespace {

// The marker the simulated service answers (tools/simulated-rasapi32).
constexpr DWORD kSimulatedRasMarker = 0x7E1A9;

// An export of the loaded rasapi32.dll as the function type it has, or null.
template <typename Function> Function simulatedExport(const char* name)
{
    HMODULE ras = GetModuleHandleA("rasapi32.dll");
    FARPROC found = ras ? GetProcAddress(ras, name) : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

} // namespace

bool simulatedRasLoaded()
{
    auto marker = simulatedExport<DWORD(WINAPI*)()>("TelmaqSimulatedRas");
    return marker && marker() == kSimulatedRasMarker;
}

std::uint32_t simulatedRasCalls(const char* function)
{
    auto calls = simulatedExport<DWORD(WINAPI*)(LPCSTR)>("TelmaqSimulatedRasCalls");
    return calls ? calls(function) : 0;
}

std::uint32_t simulatedRasDials(const char* entry)
{
    auto dials = simulatedExport<DWORD(WINAPI*)(LPCSTR)>("TelmaqSimulatedRasDials");
    return dials ? dials(entry) : 0;
}

int runAndWait(const std::string& commandLine)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return -1;
    WaitForSingleObject(info.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return static_cast<int>(code);
}

std::string testProgramFolder()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\'));
}

} // namespace telmaq::test
