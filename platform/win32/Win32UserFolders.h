#pragma once

#include <string>

namespace telmaq {

// Where the user's files live on Windows, in UTF-8. The settings need no folder (they are in
// the registry) and neither does the guard (a named mutex).

// The folder that holds the running program, where its help file lies beside it.
std::string programFolder();

// The user's own local application data folder with telmaq's folder in it, made when
// missing: %LOCALAPPDATA%\telmaq, which wins so that tests and several profiles never meet,
// else the system's known folder. "" when neither can be had.
std::string localDataFolder();

} // namespace telmaq
