#pragma once

#include <string>

namespace telmaq {

class Dialog;

// The file-open dialog for a program to start: its first filter lists folders and the files
// the user may run, its second every file. True with the chosen file's absolute path when the
// user picked one, false when cancelled.
bool browseForProgram(Dialog& owner, std::string& path);

} // namespace telmaq
