#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace telmaq::dialuptool {

// The arguments of one command: words in order, and options given as "--name value",
// "--name=value" or, for flags, "--name".
struct ToolArguments
{
    std::vector<std::string> words;
    std::map<std::string, std::string> values;
    std::set<std::string> flags;
    bool help = false;

    bool has(const std::string& name) const { return values.count(name) > 0 || flags.count(name) > 0; }
    std::optional<std::string> value(const std::string& name) const
    {
        const auto found = values.find(name);
        return found == values.end() ? std::nullopt : std::optional<std::string>(found->second);
    }
};

// Splits args by what the command accepts; false with a reason in error for anything else.
// A value option also in optionalValue may be given without its value (last, or before another
// option); it is then among the flags.
bool parseArguments(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
                    const std::set<std::string>& flagOptions, ToolArguments& parsed, std::string& error,
                    const std::set<std::string>& optionalValue = {});

// A whole decimal number within [low, high], digits only.
std::optional<long> parseNumber(const std::string& text, long low, long high);

// The wait of `redial --wait`: SECONDS or M:SS, as (minutes, seconds) the way RedialWait
// holds them; nothing for text that is neither or out of range.
std::optional<std::pair<std::uint32_t, std::uint32_t>> parseWait(const std::string& text);

} // namespace telmaq::dialuptool
