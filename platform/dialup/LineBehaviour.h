#pragma once

#include "platform/dialup/DialupService.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace telmaq {

// How a simulated line answers a dial. Written in the phonebook as text: "connect", "busy",
// "busy:N", "no-answer", "no-dialtone", "no-modem", "auth-fail" or "drop:S".
struct LineBehaviour
{
    enum class Kind
    {
        Connect,
        Busy, // always busy, or busy on the first busyDials dials when that is set
        NoAnswer,
        NoDialTone,
        NoModem,
        AuthFail,
        Drop, // connects, then the far end hangs up after dropAfterMs
    };

    Kind kind = Kind::Connect;
    std::optional<std::uint32_t> busyDials;
    std::uint32_t dropAfterMs = 0;

    // Reads the text form; nothing for text that names no behaviour.
    static std::optional<LineBehaviour> parse(const std::string& text);
    // The text form, as parse reads it.
    std::string text() const;
};

struct DialStep
{
    RasConnState state;
    std::uint32_t error;
};

// The reports of one dial on a line with this behaviour. dialNumber counts the dials of the
// entry from 1 (for busy:N); wrongPassword makes authentication fail as on a real server.
std::vector<DialStep> dialSteps(const LineBehaviour& line, std::uint64_t dialNumber, bool wrongPassword);

} // namespace telmaq
