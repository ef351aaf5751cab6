#pragma once

#include <cstdint>
#include <string>

// Helpers of the Windows tests that need <windows.h>, behind plain declarations, so that the
// tests themselves can include our port headers (see platform/win32/NativeApi.h).

namespace telmaq::test {

// What the rasapi32.dll this process loaded says of itself. Wine's own is stubs that answer
// quietly, and it is the one loaded unless WINEDLLOVERRIDES says rasapi32=n, even with ours
// beside the program, so no answer counts before this says ours is the one.
bool simulatedRasLoaded();

// How many times this process called a function of the simulated service ("RasDialA", ...).
std::uint32_t simulatedRasCalls(const char* function);

// How many times any process of the prefix has dialled ENTRY through the simulated service.
std::uint32_t simulatedRasDials(const char* entry);

// Runs a program with its arguments (quoted by the caller) and waits for its exit code; -1
// when it cannot be started.
int runAndWait(const std::string& commandLine);

// The folder of this test program, where the peer program and rasapi32.dll lie.
std::string testProgramFolder();

} // namespace telmaq::test
