#include "tools/telmaq-dialup/ToolArguments.h"

#include "platform/system/EchoedText.h"

namespace telmaq::dialuptool {

bool parseArguments(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
                    const std::set<std::string>& flagOptions, ToolArguments& parsed, std::string& error,
                    const std::set<std::string>& optionalValue)
{
    bool onlyWords = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (onlyWords || arg.size() < 2 || arg[0] != '-') {
            parsed.words.push_back(arg);
            continue;
        }
        if (arg == "--") {
            onlyWords = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            parsed.help = true;
            continue;
        }
        const auto equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (valueOptions.count(name)) {
            const bool valueLeftOut = i + 1 >= args.size() || args[i + 1].rfind("--", 0) == 0;
            if (equals != std::string::npos) {
                parsed.values[name] = arg.substr(equals + 1);
            } else if (valueLeftOut && optionalValue.count(name)) {
                parsed.flags.insert(name);
            } else if (i + 1 < args.size()) {
                parsed.values[name] = args[++i];
            } else {
                error = name + " needs a value";
                return false;
            }
        } else if (flagOptions.count(name) && equals == std::string::npos) {
            parsed.flags.insert(name);
        } else {
            error = "unknown option " + echoed(arg);
            return false;
        }
    }
    return true;
}

std::optional<long> parseNumber(const std::string& text, long low, long high)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const long value = std::stol(text);
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<std::pair<std::uint32_t, std::uint32_t>> parseWait(const std::string& text)
{
    const auto colon = text.find(':');
    if (colon == std::string::npos) {
        const auto seconds = parseNumber(text, 0, 65535L * 60 + 59);
        if (!seconds)
            return std::nullopt;
        return std::make_pair(static_cast<std::uint32_t>(*seconds / 60), static_cast<std::uint32_t>(*seconds % 60));
    }
    const std::string secondsText = text.substr(colon + 1);
    const auto minutes = parseNumber(text.substr(0, colon), 0, 65535);
    const auto seconds = secondsText.size() == 2 ? parseNumber(secondsText, 0, 59) : std::nullopt;
    if (!minutes || !seconds)
        return std::nullopt;
    return std::make_pair(static_cast<std::uint32_t>(*minutes), static_cast<std::uint32_t>(*seconds));
}

} // namespace telmaq::dialuptool
