#pragma once

#include "platform/dialup/DialupService.h"
#include "platform/dialup/UnavailableDialupService.h"
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
// else the hive's RemoteAccess\Provider (its text up to the first zero, whatever its type),
// else "simulator". When the hive cannot be read the answer is "" and hiveError, if given,
// gets the hive's code (else ERROR_SUCCESS).
std::string configuredDialupProvider(IRegistry& registry, long* hiveError = nullptr);

// Why the configured provider cannot be used, as the service that stands in for it: the hive
// holding the choice cannot be read, or the name is none of ours. nullptr when it can be used.
std::unique_ptr<UnavailableDialupService> dialupProviderProblem(IRegistry& registry);

// Whether name (in any case) is one of the providers above.
bool isKnownDialupProvider(const std::string& name);

// The dial-up service the program and its tools use: NetworkManager on the system bus when
// that is the configured provider, the line simulator on the file dialupDatabasePath() names
// when that is, else dialupProviderProblem()'s service, which refuses every call. It lives in the library
// telmaq_dialup_providers, which links both providers; the plain platform library never sees QtDBus.
std::unique_ptr<IDialupService> openDialupService(IRegistry& registry);

} // namespace telmaq
