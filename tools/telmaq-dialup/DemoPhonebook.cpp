#include "tools/telmaq-dialup/DialupCommands.h"

#include <ostream>

namespace telmaq::dialuptool {

namespace {

constexpr const char* kDemoUsage =
    "usage: telmaq-dialup demo\n"
    "When the line simulator's phonebook is empty, fills it with sample entries, one for\n"
    "every line behaviour, and makes the first the default entry when none is set. Prints\n"
    "what it did.\n";

struct Sample
{
    const char* name;
    const char* line;
    const char* phone;
    const char* user;
    const char* password; // nullptr: not stored
};

// Every entry shares the one modem, as on a machine with a single line.
constexpr Sample kSamples[] = {
#include "DemoSamples.inc"
};

} // namespace

int demoCommand(const std::vector<std::string>& rawArgs, DialupToolContext& context)
{
    ToolArguments args;
    if (int answer = parseOrAnswer(rawArgs, {}, {}, kDemoUsage, args, context); answer >= 0)
        return answer;
    if (!args.words.empty())
        return usageError(context, "demo takes no arguments", kDemoUsage);
    LineSimulator* simulator = simulatorPhonebook(context, "demo");
    if (!simulator)
        return kDialupToolFailed;
    SimulatorDatabase& database = simulator->database();
    std::vector<std::string> names;
    if (database.entryNames(names))
        return failWith(context, database.lastError());
    if (!names.empty()) {
        context.out << "The phonebook has " << names.size() << " entries already; nothing added.\n";
    } else {
        for (const Sample& sample : kSamples) {
            SimEntry entry;
            entry.name = sample.name;
            entry.phone = sample.phone;
            entry.user = sample.user;
            if (sample.password)
                entry.password = sample.password;
            entry.line = sample.line;
            if (database.addEntry(entry))
                return failWith(context, database.lastError());
            context.out << "Added " << sample.name << " (" << sample.line
                        << (sample.password ? "" : ", no password stored") << ")\n";
        }
        names.clear();
        database.entryNames(names);
    }
    const std::string current = readDefaultEntry(context.hive);
    if (!current.empty()) {
        context.out << "The default entry is " << current << "; left as it is.\n";
    } else if (!names.empty()) {
        if (const long rc = writeDefaultEntry(context.hive, names.front()))
            return failWith(context, "the default entry cannot be set (code " + std::to_string(rc) + ")");
        context.out << "Set the default entry to " << names.front() << ".\n";
    }
    return kDialupToolOk;
}

} // namespace telmaq::dialuptool
