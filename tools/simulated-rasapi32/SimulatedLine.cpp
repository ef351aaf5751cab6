#include "SimulatedLine.h"

#include "platform/dialup/LineBehaviour.h"

namespace telmaq::simras {

bool simulatedDial(const std::string& line, std::uint64_t dialNumber, bool wrongPassword, SimulatedDial& dial)
{
    const auto behaviour = LineBehaviour::parse(line);
    if (!behaviour)
        return false;
    dial.steps.clear();
    for (const DialStep& step : dialSteps(*behaviour, dialNumber, wrongPassword))
        dial.steps.push_back({step.state, step.error});
    dial.drops = behaviour->kind == LineBehaviour::Kind::Drop;
    dial.dropAfterMs = behaviour->dropAfterMs;
    return true;
}

SimulatedStep remoteHangUp()
{
    return {RASCS_Disconnected, ERROR_REMOTE_DISCONNECTION};
}

} // namespace telmaq::simras
