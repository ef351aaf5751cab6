#pragma once

#include <cstdint>

namespace telmaq {

// The line simulator's own text for a code it can answer, or nullptr for one it does not know.
const char* simulatorErrorText(std::uint32_t code);

} // namespace telmaq
