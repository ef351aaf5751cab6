#include "platform/dialup/ProcessLiveness.h"

#include <fstream>
#include <sstream>

namespace telmaq {

std::string processStartTime(pid_t pid)
{
    if (pid <= 0)
        return {};
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(file, line))
        return {};
    // The command name in parentheses may itself hold spaces and parentheses; the fields
    // after the last ')' are plain: state is field 3, the start time field 22.
    const auto close = line.rfind(')');
    if (close == std::string::npos)
        return {};
    std::istringstream fields(line.substr(close + 1));
    std::string field;
    for (int number = 3; number <= 22 && fields >> field; ++number) {
        if (number == 3 && (field == "Z" || field == "X"))
            return {};
        if (number == 22)
            return field;
    }
    return {};
}

bool processAlive(pid_t pid, const std::string& startTime)
{
    if (startTime.empty())
        return false;
    return processStartTime(pid) == startTime;
}

} // namespace telmaq
