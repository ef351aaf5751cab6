#pragma once

#include "tools/telmaq-dialup/DialupTool.h"
#include "tools/telmaq-dialup/ToolArguments.h"

namespace telmaq::dialuptool {

// One function per command. Each parses its own arguments, prints its help on --help, and
// answers an exit code.
int entriesCommand(const std::vector<std::string>& args, DialupToolContext& context);
int addCommand(const std::vector<std::string>& args, DialupToolContext& context);
int setCommand(const std::vector<std::string>& args, DialupToolContext& context);
int removeCommand(const std::vector<std::string>& args, DialupToolContext& context);
int showCommand(const std::vector<std::string>& args, DialupToolContext& context);
int defaultCommand(const std::vector<std::string>& args, DialupToolContext& context);
int redialCommand(const std::vector<std::string>& args, DialupToolContext& context);
int dialCommand(const std::vector<std::string>& args, DialupToolContext& context);
int connectionsCommand(const std::vector<std::string>& args, DialupToolContext& context);
int hangupCommand(const std::vector<std::string>& args, DialupToolContext& context);
int demoCommand(const std::vector<std::string>& args, DialupToolContext& context);
int providerCommand(const std::vector<std::string>& args, DialupToolContext& context);
int historyCommand(const std::vector<std::string>& args, DialupToolContext& context);

// Parses args for a command; on --help prints usage to out and answers kDialupToolOk, on a
// mistake prints it with the usage to err and answers kDialupToolUsage, else answers -1.
int parseOrAnswer(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
                  const std::set<std::string>& flagOptions, const char* usage, ToolArguments& parsed,
                  DialupToolContext& context, const std::set<std::string>& optionalValue = {});

// Prints "telmaq-dialup: message" to err and answers kDialupToolFailed.
int failWith(DialupToolContext& context, const std::string& message);
int usageError(DialupToolContext& context, const std::string& message, const char* usage);
// The hive's failure: where the file itself is at fault, in telmaq-reg's words naming it, else
// "the settings hive WHAT (code N)".
std::string hiveFailure(DialupToolContext& context, long rc, const char* what);

// The line simulator for a command that edits its phonebook; under another provider, prints
// why command refuses and answers null (the caller then answers kDialupToolFailed).
LineSimulator* simulatorPhonebook(DialupToolContext& context, const char* command);

// The service's text for a code, in the form every command prints it.
std::string codeText(DialupToolContext& context, std::uint32_t code);

// The hive's RemoteAccess key, for the default entry and the redial settings.
constexpr const char* kRemoteAccessKey = "RemoteAccess";
// The default entry as telmaq reads it, or "" when none is set; hiveError, if given, gets the
// hive's code when it could not be read.
std::string readDefaultEntry(IRegistry& hive, long* hiveError = nullptr);
long writeDefaultEntry(IRegistry& hive, const std::string& entry);

} // namespace telmaq::dialuptool
