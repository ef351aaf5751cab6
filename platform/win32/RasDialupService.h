#pragma once

#include "platform/dialup/DialupService.h"

namespace telmaq {

// The dial-up service on Windows's Remote Access Service (rasapi32). Our connection handles
// are 32 bits wide and the system's are pointers, so each connection gets a number of ours;
// the numbers and the notifiers of the dials in progress are the process's, shared by every
// object of this class, as the service itself is.
class RasDialupService : public IDialupService
{
public:
    std::uint32_t enumEntries(RASENTRYNAMEA* entries, std::uint32_t* bufferSize, std::uint32_t* count) override;
    std::uint32_t enumConnections(RASCONNA* connections, std::uint32_t* bufferSize, std::uint32_t* count) override;
    std::uint32_t getEntryDialParams(RASDIALPARAMSA* params, bool* passwordRetrieved) override;
    // Only notifier type 0 (RasDialFunc) is offered, as by the line simulator; the notifier is
    // called on the service's own thread. A null notifier dials without reports.
    std::uint32_t dial(const RASDIALPARAMSA* params, std::uint32_t notifierType, RasDialFunc notifier,
                       HRASCONN* connection) override;
    // Once it returns, the connection's notifier is not called again: a report on its way is
    // waited out, unless the notifier itself is hanging up.
    std::uint32_t hangUp(HRASCONN connection) override;
    std::uint32_t getErrorString(std::uint32_t code, char* buffer, std::uint32_t bufferSize) override;
};

} // namespace telmaq
