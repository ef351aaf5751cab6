#include "platform/dialup/DialupProviders.h"

#include <algorithm>
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

// The stored choice up to its first zero, whatever its type tag, as telmaq reads its texts;
// "" when there is none. hiveError gets the hive's code when it could not be read.
std::string hiveProvider(IRegistry& registry, long& hiveError)
{
    HKEY key = 0;
    long rc = registry.openKey(HKEY_CURRENT_USER, "RemoteAccess", KEY_QUERY_VALUE, &key);
    std::vector<std::uint8_t> data(64);
    auto size = static_cast<std::uint32_t>(data.size());
    if (rc == ERROR_SUCCESS) {
        rc = registry.queryValue(key, kProviderValue, nullptr, data.data(), &size);
        if (rc == ERROR_MORE_DATA) {
            data.resize(size);
            rc = registry.queryValue(key, kProviderValue, nullptr, data.data(), &size);
        }
        registry.closeKey(key);
    }
    if (rc == ERROR_FILE_NOT_FOUND)
        return {};
    if (rc != ERROR_SUCCESS) {
        hiveError = rc;
        return {};
    }
    std::string text(reinterpret_cast<const char*>(data.data()), std::min<std::size_t>(size, data.size()));
    return text.substr(0, text.find('\0'));
}

} // namespace

std::string configuredDialupProvider(IRegistry& registry, long* hiveError)
{
    long failure = ERROR_SUCCESS;
    std::string chosen;
    if (const char* variable = std::getenv("TELMAQ_DIALUP_PROVIDER"); variable && *variable)
        chosen = variable;
    else
        chosen = hiveProvider(registry, failure);
    if (hiveError)
        *hiveError = failure;
    if (failure != ERROR_SUCCESS)
        return {};
    return chosen.empty() ? kSimulatorProvider : lowerCase(chosen);
}

std::unique_ptr<UnavailableDialupService> dialupProviderProblem(IRegistry& registry)
{
    long hiveError = ERROR_SUCCESS;
    const std::string name = configuredDialupProvider(registry, &hiveError);
    if (hiveError != ERROR_SUCCESS)
        return std::make_unique<UnavailableDialupService>(
            ERROR_PROVIDER_UNREADABLE,
            "設定のハイブを読めないため、ダイヤルアップのプロバイダーがわかりません (コード " +
                std::to_string(hiveError) + ")");
    if (isKnownDialupProvider(name))
        return nullptr;
    // The name as given, cut short enough for a message box line and the service's text buffer.
    std::string shown = name.substr(0, 64);
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    return std::make_unique<UnavailableDialupService>(
        ERROR_PROVIDER_UNKNOWN,
        "ダイヤルアップのプロバイダー「" + shown + "」はありません。simulator か networkmanager を選んでください");
}

bool isKnownDialupProvider(const std::string& name)
{
    const std::string lower = lowerCase(name);
    return lower == kSimulatorProvider || lower == kNetworkManagerProvider;
}

} // namespace telmaq
