#include "platform/dialup/LineBehaviour.h"
#include "tests/fuzz/FuzzInput.h"
#include "tools/telmaq-dialup/ToolArguments.h"

using namespace telmaq;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    // --line: a behaviour read back from its own text form is the same behaviour.
    if (const auto line = LineBehaviour::parse(text)) {
        const auto again = LineBehaviour::parse(line->text());
        fuzz::require(again && again->kind == line->kind && again->busyDials == line->busyDials &&
                      again->dropAfterMs == line->dropAfterMs && again->text() == line->text());
        fuzz::require(line->dropAfterMs <= 86400000);
    }
    // --wait and --tries, --timeout, --step-ms: within the ranges their help texts name.
    if (const auto wait = dialuptool::parseWait(text))
        fuzz::require(wait->first <= 65535 && wait->second <= 59);
    if (const auto number = dialuptool::parseNumber(text, 0, 999999))
        fuzz::require(*number >= 0 && *number <= 999999);
    // The whole argument list of a command, split by what it accepts.
    dialuptool::ToolArguments parsed;
    std::string error;
    const bool ok = dialuptool::parseArguments(fuzz::splitAtZeros(data, size), {"--tries", "--wait", "--password"},
                                               {"--on", "--off"}, parsed, error, {"--password"});
    fuzz::require(ok == error.empty());
    return 0;
}
