#include "tools/telmaq-dialup/DialupCommands.h"

#include "dialup/DialSession.h"
#include "dialup/DialupLists.h"
#include "platform/system/EchoedText.h"
#include "tools/telmaq-dialup/PasswordInput.h"

#include <optional>
#include <ostream>

namespace telmaq::dialuptool {

namespace {

constexpr const char* kEntriesUsage =
    "usage: telmaq-dialup entries\n"
    "Prints the provider's phonebook entries, one name per line, in phonebook order.\n";
constexpr const char* kEntryOptions =
    "options:\n"
    "  --phone NUMBER       phone number (up to 128 bytes)\n"
    "  --device NAME        modem the entry dials with (default: the one modem, telmaq-modem0)\n"
    "  --user NAME          stored user name\n"
    "  --password TEXT      stored password; other local users can see TEXT in the\n"
    "                       process list while the command runs: prefer one of these\n"
    "  --password           without TEXT: asks for it on the terminal, without echo\n"
    "  --password-stdin     reads it as one line from standard input\n"
    "  --domain NAME        stored domain (up to 15 bytes)\n"
    "  --no-user, --no-password, --no-domain\n"
    "                       forget the stored user name, password or domain\n"
    "  --line BEHAVIOUR     connect, busy, busy:N, no-answer, no-dialtone, no-modem,\n"
    "                       auth-fail or drop:SECONDS (default connect)\n"
    "  --step-ms MS         delay between two progress reports of a dial, 0 to 60000\n"
    "                       (default 300)\n";
constexpr const char* kAddUsage = "usage: telmaq-dialup add NAME [OPTIONS]\n"
                                  "Adds an entry at the end of the line simulator's phonebook.\n";
constexpr const char* kSetUsage = "usage: telmaq-dialup set NAME [OPTIONS]\n"
                                  "Changes the options given and keeps the others. Changing an entry\n"
                                  "starts its count of busy dials again.\n";
constexpr const char* kRemoveUsage = "usage: telmaq-dialup remove NAME\n"
                                     "Removes an entry from the line simulator's phonebook.\n";
constexpr const char* kShowUsage =
    "usage: telmaq-dialup show NAME\n"
    "Shows an entry of the provider's phonebook; the password only as stored or not stored.\n"
    "Device, line and step-ms are the line simulator's own.\n";

const std::set<std::string> kEntryValueOptions = {"--phone",  "--device", "--user",   "--password",
                                                  "--domain", "--line",   "--step-ms"};
const std::set<std::string> kEntryFlagOptions = {"--no-user", "--no-password", "--no-domain", "--password-stdin"};

std::string usageWithOptions(const char* usage)
{
    return std::string(usage) + kEntryOptions;
}

// Why text names no line behaviour; a count or a time out of range is told its range.
std::string lineBehaviourError(const std::string& text)
{
    if (text.rfind("busy:", 0) == 0)
        return "busy:N wants a number of busy dials from 0 to 999999999, not " + echoed(text);
    if (text.rfind("drop:", 0) == 0)
        return "drop:SECONDS wants seconds from 0 to 86400 (a fraction allowed), not " + echoed(text);
    return "unknown line behaviour " + echoed(text) +
           " (connect, busy, busy:N, no-answer, no-dialtone, no-modem, auth-fail or drop:SECONDS)";
}

// Applies the options given to entry; false with a reason for a value that cannot be.
bool applyOptions(const ToolArguments& args, SimEntry& entry, std::string& error)
{
    if (args.has("--user") && args.has("--no-user")) {
        error = "--user and --no-user together";
        return false;
    }
    if (args.has("--password") + args.has("--password-stdin") + args.has("--no-password") > 1) {
        error = "give one of --password, --password-stdin and --no-password";
        return false;
    }
    if (args.has("--domain") && args.has("--no-domain")) {
        error = "--domain and --no-domain together";
        return false;
    }
    if (auto v = args.value("--phone"))
        entry.phone = *v;
    if (auto v = args.value("--device"))
        entry.device = *v;
    if (auto v = args.value("--user"))
        entry.user = *v;
    if (auto v = args.value("--domain"))
        entry.domain = *v;
    if (args.has("--no-user"))
        entry.user.reset();
    if (args.has("--no-password"))
        entry.password.reset();
    if (args.has("--no-domain"))
        entry.domain.reset();
    if (auto v = args.value("--line")) {
        if (!LineBehaviour::parse(*v)) {
            error = lineBehaviourError(*v);
            return false;
        }
        entry.line = *v;
    }
    if (auto v = args.value("--step-ms")) {
        const auto ms = parseNumber(*v, 0, 60000);
        if (!ms) {
            error = "--step-ms wants a number of milliseconds from 0 to 60000";
            return false;
        }
        entry.stepMs = static_cast<std::uint32_t>(*ms);
    }
    return true;
}

// The password asked for on the terminal or read from standard input, when the options say so;
// false with a reason when none could be had.
bool readPassword(const ToolArguments& args, std::optional<std::string>& password, std::string& error)
{
    if (auto v = args.value("--password")) {
        password = *v;
        return true;
    }
    const bool prompt = args.flags.count("--password") > 0;
    if (!prompt && !args.has("--password-stdin"))
        return true;
    if (prompt && !standardInputIsTerminal()) {
        error = "--password without a value asks on a terminal; use --password-stdin to read it from standard input";
        return false;
    }
    password = readPasswordLine(prompt ? "Password: " : nullptr);
    if (!password)
        error = "no password was given on standard input";
    return password.has_value();
}

int writeEntry(const std::vector<std::string>& rawArgs, DialupToolContext& context, bool adding)
{
    const std::string usage = usageWithOptions(adding ? kAddUsage : kSetUsage);
    ToolArguments args;
    if (int answer =
            parseOrAnswer(rawArgs, kEntryValueOptions, kEntryFlagOptions, usage.c_str(), args, context, {"--password"});
        answer >= 0)
        return answer;
    if (args.words.size() != 1)
        return usageError(context, "give one entry name", usage.c_str());
    LineSimulator* simulator = simulatorPhonebook(context, adding ? "add" : "set");
    if (!simulator)
        return kDialupToolFailed;
    SimEntry entry;
    entry.name = args.words[0];
    SimulatorDatabase& database = simulator->database();
    if (!adding) {
        if (database.findEntry(entry.name, entry))
            return failWith(context, database.lastError());
    }
    std::string error;
    if (!applyOptions(args, entry, error))
        return usageError(context, error, usage.c_str());
    // Asked for last, once everything else on the command line has been found sound.
    if (!readPassword(args, entry.password, error))
        return usageError(context, error, usage.c_str());
    const std::uint32_t code = adding ? database.addEntry(entry) : database.updateEntry(entry);
    if (code)
        return failWith(context, database.lastError());
    return kDialupToolOk;
}

// An entry of a provider whose profiles the tool does not edit: what a dial of it would use.
int showFromService(const std::string& name, DialupToolContext& context)
{
    DialSession session(context.service);
    bool passwordStored = false;
    if (std::uint32_t code = session.LoadParams(name, &passwordStored))
        return failWith(context, codeText(context, code));
    const RASDIALPARAMSA& params = session.params();
    auto stored = [](const char* field) { return *field ? std::string(field) : std::string("(not stored)"); };
    std::ostream& out = context.out;
    out << "name: " << params.szEntryName << '\n';
    out << "phone: " << params.szPhoneNumber << '\n';
    out << "user: " << stored(params.szUserName) << '\n';
    out << "password: " << (passwordStored ? "stored" : "not stored") << '\n';
    return kDialupToolOk;
}

} // namespace

int entriesCommand(const std::vector<std::string>& rawArgs, DialupToolContext& context)
{
    ToolArguments args;
    if (int answer = parseOrAnswer(rawArgs, {}, {}, kEntriesUsage, args, context); answer >= 0)
        return answer;
    if (!args.words.empty())
        return usageError(context, "entries takes no arguments", kEntriesUsage);
    DialupLists lists(context.service);
    if (std::uint32_t code = lists.EnumEntries())
        return failWith(context, codeText(context, code));
    for (std::int32_t i = 0; i < lists.entryCount(); ++i)
        context.out << lists.GetEntryName(i) << '\n';
    return kDialupToolOk;
}

int addCommand(const std::vector<std::string>& args, DialupToolContext& context)
{
    return writeEntry(args, context, true);
}

int setCommand(const std::vector<std::string>& args, DialupToolContext& context)
{
    return writeEntry(args, context, false);
}

int removeCommand(const std::vector<std::string>& rawArgs, DialupToolContext& context)
{
    ToolArguments args;
    if (int answer = parseOrAnswer(rawArgs, {}, {}, kRemoveUsage, args, context); answer >= 0)
        return answer;
    if (args.words.size() != 1)
        return usageError(context, "give one entry name", kRemoveUsage);
    LineSimulator* simulator = simulatorPhonebook(context, "remove");
    if (!simulator)
        return kDialupToolFailed;
    if (simulator->database().removeEntry(args.words[0]))
        return failWith(context, simulator->database().lastError());
    return kDialupToolOk;
}

int showCommand(const std::vector<std::string>& rawArgs, DialupToolContext& context)
{
    ToolArguments args;
    if (int answer = parseOrAnswer(rawArgs, {}, {}, kShowUsage, args, context); answer >= 0)
        return answer;
    if (args.words.size() != 1)
        return usageError(context, "give one entry name", kShowUsage);
    if (!context.simulator)
        return showFromService(args.words[0], context);
    SimEntry entry;
    if (std::uint32_t code = context.simulator->database().findEntry(args.words[0], entry))
        return failWith(context, codeText(context, code));
    std::ostream& out = context.out;
    out << "name: " << entry.name << '\n';
    out << "phone: " << entry.phone << '\n';
    out << "device: " << (entry.device.empty() ? std::string(SimulatorDatabase::kDefaultDevice) : entry.device) << '\n';
    out << "user: " << (entry.user ? *entry.user : "(not stored)") << '\n';
    out << "password: " << (entry.password ? "stored" : "not stored") << '\n';
    out << "domain: " << (entry.domain ? *entry.domain : "(not stored)") << '\n';
    out << "line: " << entry.line << '\n';
    out << "step-ms: " << entry.stepMs << '\n';
    return kDialupToolOk;
}

} // namespace telmaq::dialuptool
