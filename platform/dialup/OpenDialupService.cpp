#include "platform/dialup/DialupProviders.h"

#include "platform/dialup/LineSimulator.h"
#include "platform/networkmanager/NetworkManagerDialupService.h"
#include "platform/system/UserPaths.h"

namespace telmaq {

std::unique_ptr<IDialupService> openDialupService(IRegistry& registry)
{
    if (auto problem = dialupProviderProblem(registry))
        return problem;
    if (configuredDialupProvider(registry) == kNetworkManagerProvider)
        return std::make_unique<NetworkManagerDialupService>();
    return std::make_unique<LineSimulator>(dialupDatabasePath());
}

} // namespace telmaq
