#pragma once

#include "platform/dialup/DialupService.h"
#include "platform/registry/Registry.h"

#include <memory>
#include <string>

namespace telmaq {

// The providers there are: the built-in line simulator (the default) and NetworkManager.
constexpr const char* kSimulatorProvider = "simulator";
constexpr const char* kNetworkManagerProvider = "networkmanager";

// The hive value (under RemoteAccess) that names the provider.
constexpr const char* kProviderValue = "Provider";

// The name of the dial-up provider the user chose, in lower case: $TELMAQ_DIALUP_PROVIDER,
// else the hive's RemoteAccess\Provider, else "simulator".
std::string configuredDialupProvider(IRegistry& registry);

// Whether name (in any case) is one of the providers above.
bool isKnownDialupProvider(const std::string& name);

// The dial-up service the program and its tools use: NetworkManager on the system bus when
// that is the configured provider, else the line simulator on the file dialupDatabasePath()
// names (a name it does not know included). It lives in the library telmaq_dialup_providers,
// which links both providers; the plain platform library never sees QtDBus.
std::unique_ptr<IDialupService> openDialupService(IRegistry& registry);

} // namespace telmaq
