#pragma once

#include "platform/dialup/DialupService.h"

#include <functional>
#include <memory>
#include <mutex>

namespace telmaq {

// Opens the dial-up service at its first use. Start-up asks for the single-copy guard
// before anything else, and a copy that finds another one running must leave no trace: not
// even a phonebook file created or a worker thread started.
class LazyDialupService : public IDialupService
{
public:
    using Opener = std::function<std::unique_ptr<IDialupService>()>;

    explicit LazyDialupService(Opener open) : m_open(std::move(open)) {}

    std::uint32_t enumEntries(RASENTRYNAMEA* entries, std::uint32_t* bufferSize, std::uint32_t* count) override
    {
        return service().enumEntries(entries, bufferSize, count);
    }
    std::uint32_t enumConnections(RASCONNA* connections, std::uint32_t* bufferSize, std::uint32_t* count) override
    {
        return service().enumConnections(connections, bufferSize, count);
    }
    std::uint32_t getEntryDialParams(RASDIALPARAMSA* params, bool* passwordRetrieved) override
    {
        return service().getEntryDialParams(params, passwordRetrieved);
    }
    std::uint32_t dial(const RASDIALPARAMSA* params, std::uint32_t notifierType, RasDialFunc notifier,
                       HRASCONN* connection) override
    {
        return service().dial(params, notifierType, notifier, connection);
    }
    std::uint32_t hangUp(HRASCONN connection) override { return service().hangUp(connection); }
    std::uint32_t getErrorString(std::uint32_t code, char* buffer, std::uint32_t bufferSize) override
    {
        return service().getErrorString(code, buffer, bufferSize);
    }

    // Whether the service has been opened yet.
    bool isOpen() const { return m_service != nullptr; }

private:
    IDialupService& service()
    {
        std::call_once(m_once, [this] { m_service = m_open(); });
        return *m_service;
    }

    Opener m_open;
    std::once_flag m_once;
    std::unique_ptr<IDialupService> m_service;
};

} // namespace telmaq
