#pragma once

#include "platform/dialup/LineSimulator.h"
#include "platform/history/History.h"
#include "platform/registry/SqliteHive.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace telmaq {

// Exit codes of telmaq-dialup.
constexpr int kDialupToolOk = 0;
constexpr int kDialupToolFailed = 1; // the service or the hive refused, or a dial failed
constexpr int kDialupToolUsage = 2;  // the command line is wrong

// What telmaq-dialup works on: the configured dial-up service, the hive that holds the
// default entry and the redial settings, and the connection history.
struct DialupToolContext
{
    IDialupService& service;
    // The same service when it is the line simulator, whose phonebook the tool edits; null
    // under any other provider, which keeps its profiles in tools of its own.
    LineSimulator* simulator;
    SqliteHive& hive;
    // Where dials and hang-ups are recorded, and the file the history command reads.
    IHistory& history;
    std::string historyPath;
    std::ostream& out;
    std::ostream& err;
};

// Runs one telmaq-dialup command (arguments without the program name); answers the exit code.
int runDialupTool(const std::vector<std::string>& args, DialupToolContext& context);

} // namespace telmaq
