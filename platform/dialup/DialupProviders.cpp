#include "platform/dialup/DialupProviders.h"

#include <cctype>
#include <cstdlib>
#include <vector>

namespace telmaq {

namespace {

std::string lowerCase(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string hiveProvider(IRegistry& registry)
{
    HKEY key = 0;
    if (registry.openKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return {};
    std::vector<std::uint8_t> data(64);
    std::uint32_t type = REG_NONE;
    auto size = static_cast<std::uint32_t>(data.size());
    const long rc = registry.queryValue(key, kProviderValue, &type, data.data(), &size);
    registry.closeKey(key);
    if (rc != ERROR_SUCCESS || type != REG_SZ || size > data.size())
        return {};
    std::string text(reinterpret_cast<const char*>(data.data()), size);
    return text.substr(0, text.find('\0'));
}

} // namespace

std::string configuredDialupProvider(IRegistry& registry)
{
    if (const char* chosen = std::getenv("TELMAQ_DIALUP_PROVIDER"); chosen && *chosen)
        return lowerCase(chosen);
    std::string stored = hiveProvider(registry);
    return stored.empty() ? "simulator" : lowerCase(stored);
}

bool isKnownDialupProvider(const std::string& name)
{
    const std::string lower = lowerCase(name);
    return lower == kSimulatorProvider || lower == kNetworkManagerProvider;
}

} // namespace telmaq
