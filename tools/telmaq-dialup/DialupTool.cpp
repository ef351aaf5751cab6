#include "tools/telmaq-dialup/DialupTool.h"

#include "dialup/RasErrorText.h"
#include "platform/dialup/DialupProviders.h"
#include "platform/system/EchoedText.h"
#include "tools/telmaq-dialup/DialupCommands.h"

#include <map>
#include <ostream>

namespace telmaq {

namespace dialuptool {

namespace {

constexpr const char* kUsage =
    "usage: telmaq-dialup COMMAND [ARGUMENTS]\n"
    "\n"
    "Lists, dials and hangs up the connections of the dial-up provider telmaq uses (the line\n"
    "simulator or NetworkManager, see 'provider'), manages the line simulator's phonebook, and\n"
    "sets the default entry and the redial settings.\n"
    "\n"
    "On the provider in use (the same output on both):\n"
    "  entries                   list the phonebook entries, one per line\n"
    "  show NAME                 show an entry (the password only as stored / not stored)\n"
    "  dial NAME [--timeout SECONDS]\n"
    "                            dial an entry with its stored credentials\n"
    "  connections               list the active connections, entry name first\n"
    "  hangup NAME | --all       hang up an entry's connection, or every connection\n"
    "\n"
    "In the settings hive, for either provider:\n"
    "  default [NAME]            print or set the default entry\n"
    "  redial [--on|--off] [--tries N] [--wait SECONDS|M:SS]\n"
    "                            print or set the redial settings\n"
    "  provider [NAME]           print or set the dial-up provider (simulator, networkmanager)\n"
    "\n"
    "In the connection history that telmaq and these commands write:\n"
    "  history [--since DATE|DURATION] [--entry NAME] [--failed] [--json]\n"
    "                            print what was dialled, when, why and how it ended\n"
    "\n"
    "On the line simulator's phonebook only (NetworkManager's profiles are edited with nmcli\n"
    "or nm-connection-editor, and these commands refuse):\n"
    "  demo                      seed a sample phonebook when it is empty\n"
    "  add NAME [OPTIONS]        add an entry\n"
    "  set NAME [OPTIONS]        change an entry\n"
    "  remove NAME               remove an entry\n"
    "\n"
    "A failure of the provider prints its text and exits 1; a wrong command line exits 2.\n"
    "COMMAND --help tells more about each command.\n";

} // namespace

int parseOrAnswer(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
                  const std::set<std::string>& flagOptions, const char* usage, ToolArguments& parsed,
                  DialupToolContext& context, const std::set<std::string>& optionalValue)
{
    std::string error;
    if (!parseArguments(args, valueOptions, flagOptions, parsed, error, optionalValue))
        return usageError(context, error, usage);
    if (parsed.help) {
        context.out << usage;
        return kDialupToolOk;
    }
    return -1;
}

int failWith(DialupToolContext& context, const std::string& message)
{
    context.err << "telmaq-dialup: " << message << '\n';
    return kDialupToolFailed;
}

int usageError(DialupToolContext& context, const std::string& message, const char* usage)
{
    context.err << "telmaq-dialup: " << message << '\n' << usage;
    return kDialupToolUsage;
}

std::string codeText(DialupToolContext& context, std::uint32_t code)
{
    RasErrorText texts(context.service);
    std::string text = "error " + std::to_string(code) + ": " + texts.GetRasErrorText(code);
    // The simulator knows which file failed and why, which is what a user needs to mend it.
    if (context.simulator && (code == ERROR_CANNOT_OPEN_PHONEBOOK || code == ERROR_CANNOT_LOAD_PHONEBOOK ||
                              code == ERROR_CANNOT_WRITE_PHONEBOOK))
        text += " (" + context.simulator->database().lastError() + ")";
    return text;
}

LineSimulator* simulatorPhonebook(DialupToolContext& context, const char* command)
{
    if (context.simulator)
        return context.simulator;
    // A provider that cannot be used is said to be so, not called "the provider in use".
    if (auto problem = dialupProviderProblem(context.hive))
        failWith(context, codeText(context, problem->code()));
    else
        failWith(context, std::string(command) +
                              " edits the line simulator's phonebook, but the dial-up provider in use is " +
                              configuredDialupProvider(context.hive) +
                              "; edit its profiles with nmcli or nm-connection-editor instead");
    return context.simulator;
}

} // namespace dialuptool

int runDialupTool(const std::vector<std::string>& args, DialupToolContext& context)
{
    using Command = int (*)(const std::vector<std::string>&, DialupToolContext&);
    static const std::map<std::string, Command> commands = {
        {"demo", dialuptool::demoCommand},       {"entries", dialuptool::entriesCommand},
        {"add", dialuptool::addCommand},         {"set", dialuptool::setCommand},
        {"remove", dialuptool::removeCommand},   {"show", dialuptool::showCommand},
        {"default", dialuptool::defaultCommand}, {"redial", dialuptool::redialCommand},
        {"dial", dialuptool::dialCommand},       {"connections", dialuptool::connectionsCommand},
        {"hangup", dialuptool::hangupCommand},   {"provider", dialuptool::providerCommand},
        {"history", dialuptool::historyCommand},
    };
    if (args.empty())
        return dialuptool::usageError(context, "no command given", dialuptool::kUsage);
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        context.out << dialuptool::kUsage;
        return kDialupToolOk;
    }
    const auto found = commands.find(args[0]);
    if (found == commands.end())
        return dialuptool::usageError(context, "unknown command " + echoed(args[0]), dialuptool::kUsage);
    return found->second(std::vector<std::string>(args.begin() + 1, args.end()), context);
}

} // namespace telmaq
