#include "connection/DialStatusText.h"

#include "dialup/DialState.h"
#include "platform/dialup/DialupService.h"

namespace telmaq {

const char* dialStatusText(std::uint32_t state)
{
    const DialState* known = findDialState(state);
    return known ? known->statusText : "UnknownStatus";
}

bool dialStatusEndsWait(std::uint32_t state)
{
    return state == RASCS_Connected || state == RASCS_Disconnected;
}

} // namespace telmaq
