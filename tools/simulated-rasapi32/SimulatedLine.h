#pragma once

// The simulated service's lines, in plain types: SimulatedRas.cpp includes <windows.h>, which
// must never meet our dial-up header (see platform/win32/NativeApi.h).

#include <cstdint>
#include <string>
#include <vector>

namespace telmaq::simras {

struct SimulatedStep
{
    std::uint32_t state;
    std::uint32_t error;
};

struct SimulatedDial
{
    std::vector<SimulatedStep> steps;
    bool drops = false;
    std::uint32_t dropAfterMs = 0;
};

// The reports of a dial on a line with the line simulator's behaviour text ("busy:2",
// "drop:0.5", ...); false for a text that names no behaviour.
bool simulatedDial(const std::string& line, std::uint64_t dialNumber, bool wrongPassword, SimulatedDial& dial);

// The state of a far end that hung up, and its code.
SimulatedStep remoteHangUp();

} // namespace telmaq::simras
