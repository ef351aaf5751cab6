#pragma once

#include <string>
#include <sys/types.h>

namespace telmaq {

// Tells a running process from one that has ended, even after its number was given to
// another process: a process is named by its number together with the moment it started.

// The start time of process pid as the kernel counts it, or "" when there is no such
// running process (a zombie counts as ended).
std::string processStartTime(pid_t pid);

// Whether the process that had this number and start time still runs.
bool processAlive(pid_t pid, const std::string& startTime);

} // namespace telmaq
