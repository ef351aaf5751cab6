#pragma once

#include "platform/dialup/DialupService.h"

#include <string>

namespace telmaq {

// Codes of a provider that cannot be used; their texts come from the service below.
constexpr std::uint32_t ERROR_PROVIDER_UNKNOWN = 19801;    // the chosen provider's name is none we know
constexpr std::uint32_t ERROR_PROVIDER_UNREADABLE = 19802; // the hive holding the choice cannot be read

// What stands in for the dial-up service when the chosen provider cannot be opened: every call
// answers one code, and getErrorString gives the reason in words. Dialling some other provider
// instead would put the user on lines they never chose.
class UnavailableDialupService : public IDialupService
{
public:
    UnavailableDialupService(std::uint32_t code, std::string text) : m_code(code), m_text(std::move(text)) {}

    std::uint32_t enumEntries(RASENTRYNAMEA*, std::uint32_t*, std::uint32_t*) override { return m_code; }
    std::uint32_t enumConnections(RASCONNA*, std::uint32_t*, std::uint32_t*) override { return m_code; }
    std::uint32_t getEntryDialParams(RASDIALPARAMSA*, bool*) override { return m_code; }
    std::uint32_t dial(const RASDIALPARAMSA*, std::uint32_t, RasDialFunc, HRASCONN* connection) override
    {
        if (connection)
            *connection = kNoConnection;
        return m_code;
    }
    std::uint32_t hangUp(HRASCONN) override { return m_code; }
    std::uint32_t getErrorString(std::uint32_t code, char* buffer, std::uint32_t bufferSize) override;

    std::uint32_t code() const { return m_code; }
    const std::string& text() const { return m_text; }

private:
    const std::uint32_t m_code;
    const std::string m_text;
};

} // namespace telmaq
