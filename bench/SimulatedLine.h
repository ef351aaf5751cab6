#pragma once

#include "platform/dialup/LineSimulator.h"

#include <filesystem>
#include <memory>

namespace telmaq::bench {

// The line simulator in a folder of its own, with one entry whose line is busy on the first
// dial and connects on the next, each dial that connects taking kDialSeconds.
class SimulatedLine
{
public:
    static constexpr const char* kEntry = "bench";
    static constexpr int kDialSeconds = 10;
    static constexpr int kRedialWaitSeconds = 10;

    SimulatedLine();
    ~SimulatedLine();
    SimulatedLine(const SimulatedLine&) = delete;
    SimulatedLine& operator=(const SimulatedLine&) = delete;

    // Sets the entry up afresh, so that its next dial is busy again.
    void prepare();
    IDialupService& service() { return *m_simulator; }

private:
    std::filesystem::path m_dir;
    std::unique_ptr<LineSimulator> m_simulator;
};

} // namespace telmaq::bench
