#include "tools/telmaq-dialup/HistorySince.h"

#include "tools/telmaq-dialup/ToolArguments.h"

#include <ctime>
#include <map>

namespace telmaq::dialuptool {

std::optional<std::int64_t> parseSince(const std::string& text, std::int64_t nowMs)
{
    static const std::map<char, std::int64_t> unitSeconds = {
        {'s', 1}, {'m', 60}, {'h', 3600}, {'d', 86400}, {'w', 7 * 86400}};
    if (text.size() >= 2 && unitSeconds.count(text.back())) {
        if (const auto count = parseNumber(text.substr(0, text.size() - 1), 0, 100L * 366 * 86400))
            return nowMs - *count * unitSeconds.at(text.back()) * 1000;
        return std::nullopt;
    }
    // The date's form, digit for digit: a sign, a short year or anything after the time is
    // no date.
    static const std::string form = "dddd-dd-dd dd:dd:dd";
    if (text.size() != 10 && text.size() != 16 && text.size() != 19)
        return std::nullopt;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool fits = form[i] == 'd' ? c >= '0' && c <= '9' : form[i] == ' ' ? c == ' ' || c == 'T' : c == form[i];
        if (!fits)
            return std::nullopt;
    }
    const auto field = [&text](std::size_t at, std::size_t length) {
        return at < text.size() ? std::stoi(text.substr(at, length)) : 0;
    };
    const int year = field(0, 4), month = field(5, 2), day = field(8, 2);
    const int hour = field(11, 2), minute = field(14, 2), second = field(17, 2);
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    const std::time_t at = std::mktime(&local);
    // mktime moves 31 February to March; a date that moved is not a date.
    if (at == static_cast<std::time_t>(-1) || local.tm_mday != day || local.tm_mon != month - 1)
        return std::nullopt;
    return static_cast<std::int64_t>(at) * 1000;
}

} // namespace telmaq::dialuptool
