#pragma once

#include "platform/dialup/DialupService.h"
#include "platform/registry/Registry.h"

#include <memory>
#include <string>

namespace telmaq {

// The name of the dial-up provider the user chose, in lower case: $TELMAQ_DIALUP_PROVIDER,
// else the hive's RemoteAccess\Provider, else "simulator".
std::string configuredDialupProvider(IRegistry& registry);

// The dial-up service the program and its tools use. Today that is the line simulator, on
// the file dialupDatabasePath() names.
std::unique_ptr<IDialupService> openDialupService(IRegistry& registry);

} // namespace telmaq
