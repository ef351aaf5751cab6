#pragma once

#include "platform/registry/SqliteHive.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace telmaq {

// Exit codes of telmaq-reg.
constexpr int kRegToolOk = 0;
constexpr int kRegToolFailed = 1; // the key or value is missing, or the hive refused
constexpr int kRegToolUsage = 2;  // the command line is wrong

// Runs one telmaq-reg command (arguments without the program name) against the hive;
// results go to out, errors to err. Answers the exit code.
int runRegTool(const std::vector<std::string>& args, SqliteHive& hive, std::ostream& out, std::ostream& err);

} // namespace telmaq
