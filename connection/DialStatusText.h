#pragma once

#include <cstdint>

namespace telmaq {

// The status line the connecting dialog shows for a connection state the dial-up service
// reported. Any state we do not know reads "UnknownStatus" rather than nothing, so the user
// still sees that the dial is alive.
const char* dialStatusText(std::uint32_t state);

// True for the states after which the service sends no further progress reports for this
// dial (Connected and Disconnected); the connect procedure stops listening then.
bool dialStatusEndsWait(std::uint32_t state);

} // namespace telmaq
