#include "platform/dialup/LineBehaviour.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace telmaq {

namespace {

// Digits only: strtoul would take signs and spaces, which a phonebook should not hold.
std::optional<std::uint32_t> parseCount(const std::string& text)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return static_cast<std::uint32_t>(std::stoul(text));
}

// Seconds, with an optional fraction (tests want drops well under a second); at most a day.
std::optional<std::uint32_t> parseSecondsAsMs(const std::string& text)
{
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos || text.front() == '.' ||
        text.find('.') != text.rfind('.'))
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(seconds) || seconds < 0 || seconds > 86400)
        return std::nullopt;
    return static_cast<std::uint32_t>(std::llround(seconds * 1000));
}

} // namespace

std::optional<LineBehaviour> LineBehaviour::parse(const std::string& text)
{
    LineBehaviour line;
    if (text == "connect")
        line.kind = Kind::Connect;
    else if (text == "busy")
        line.kind = Kind::Busy;
    else if (text == "no-answer")
        line.kind = Kind::NoAnswer;
    else if (text == "no-dialtone")
        line.kind = Kind::NoDialTone;
    else if (text == "no-modem")
        line.kind = Kind::NoModem;
    else if (text == "auth-fail")
        line.kind = Kind::AuthFail;
    else if (text.rfind("busy:", 0) == 0) {
        line.kind = Kind::Busy;
        line.busyDials = parseCount(text.substr(5));
        if (!line.busyDials)
            return std::nullopt;
    } else if (text.rfind("drop:", 0) == 0) {
        line.kind = Kind::Drop;
        const auto ms = parseSecondsAsMs(text.substr(5));
        if (!ms)
            return std::nullopt;
        line.dropAfterMs = *ms;
    } else {
        return std::nullopt;
    }
    return line;
}

std::string LineBehaviour::text() const
{
    switch (kind) {
    case Kind::Connect:
        return "connect";
    case Kind::Busy:
        return busyDials ? "busy:" + std::to_string(*busyDials) : "busy";
    case Kind::NoAnswer:
        return "no-answer";
    case Kind::NoDialTone:
        return "no-dialtone";
    case Kind::NoModem:
        return "no-modem";
    case Kind::AuthFail:
        return "auth-fail";
    case Kind::Drop: {
        std::string seconds = std::to_string(dropAfterMs / 1000);
        if (const std::uint32_t ms = dropAfterMs % 1000) {
            std::string fraction = std::to_string(ms + 1000).substr(1);
            while (fraction.back() == '0')
                fraction.pop_back();
            seconds += "." + fraction;
        }
        return "drop:" + seconds;
    }
    }
    return "connect";
}

std::vector<DialStep> dialSteps(const LineBehaviour& line, std::uint64_t dialNumber, bool wrongPassword)
{
    // Each failure stops the dial where a real line would fail it.
    std::uint32_t failAtOpen = 0, failAtDevice = 0, failAtAuth = 0;
    switch (line.kind) {
    case LineBehaviour::Kind::Connect:
    case LineBehaviour::Kind::Drop:
        break;
    case LineBehaviour::Kind::Busy:
        if (!line.busyDials || dialNumber <= *line.busyDials)
            failAtDevice = ERROR_LINE_BUSY;
        break;
    case LineBehaviour::Kind::NoAnswer:
        failAtDevice = ERROR_NO_ANSWER;
        break;
    case LineBehaviour::Kind::NoDialTone:
        failAtDevice = ERROR_NO_DIALTONE;
        break;
    case LineBehaviour::Kind::NoModem:
        failAtOpen = ERROR_HARDWARE_FAILURE;
        break;
    case LineBehaviour::Kind::AuthFail:
        failAtAuth = ERROR_AUTHENTICATION_FAILURE;
        break;
    }
    if (wrongPassword && !failAtOpen && !failAtDevice)
        failAtAuth = ERROR_AUTHENTICATION_FAILURE;

    if (failAtOpen)
        return {{RASCS_OpenPort, failAtOpen}};
    std::vector<DialStep> steps{{RASCS_OpenPort, 0}, {RASCS_PortOpened, 0}};
    if (failAtDevice) {
        steps.push_back({RASCS_ConnectDevice, failAtDevice});
        return steps;
    }
    steps.insert(steps.end(), {{RASCS_ConnectDevice, 0}, {RASCS_DeviceConnected, 0}, {RASCS_AllDevicesConnected, 0}});
    if (failAtAuth) {
        steps.push_back({RASCS_Authenticate, failAtAuth});
        return steps;
    }
    steps.insert(steps.end(), {{RASCS_Authenticate, 0}, {RASCS_Authenticated, 0}, {RASCS_Connected, 0}});
    return steps;
}

} // namespace telmaq
