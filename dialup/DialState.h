#pragma once

#include <cstdint>

namespace telmaq {

// One connection state the dial-up service reports: its value, the platform's name of it
// without the RASCS_ prefix, and the status line the connecting dialog shows for it.
struct DialState
{
    std::uint32_t state;
    const char* name;
    const char* statusText;
};

// The state's row of the one table of known states, or nullptr for a value it does not list.
const DialState* findDialState(std::uint32_t state);

} // namespace telmaq
