#include "tools/telmaq-dialup/HistorySince.h"

#include "tools/telmaq-dialup/ToolArguments.h"

#include <cstdio>
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
    std::tm local{};
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char separator = ' ';
    char rest = 0;
    const int fields = std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d%c", &year, &month, &day, &separator, &hour,
                                   &minute, &second, &rest);
    const bool dateOnly = fields == 3 && text.size() == 10;
    const bool withTime = (fields == 6 || fields == 7) && (separator == ' ' || separator == 'T');
    if (!dateOnly && !withTime)
        return std::nullopt;
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59 || hour < 0 ||
        minute < 0 || second < 0)
        return std::nullopt;
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
