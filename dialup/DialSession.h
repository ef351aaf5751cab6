#pragma once

#include "platform/dialup/DialupService.h"

#include <cstdint>
#include <string>

namespace telmaq {

// One entry's dial parameters and the handle of the connection that dialling them makes.
// Discarding it does not hang up; it wipes the password.
class DialSession
{
public:
    explicit DialSession(IDialupService& service);
    ~DialSession();
    DialSession(const DialSession&) = delete;
    DialSession& operator=(const DialSession&) = delete;

    // Loads the stored parameters of entry (at most 256 bytes); answers the service's code.
    std::uint32_t LoadParams(const std::string& entry, bool* passwordRetrieved);
    // Starts dialling; the handle lands in connection() even when the answer is an error.
    std::uint32_t Dial(std::uint32_t notifierType, RasDialFunc notifier);
    // Hangs up connection(); the handle stays in place.
    std::uint32_t HangUp();

    const RASDIALPARAMSA& params() const { return m_params; }
    HRASCONN connection() const { return m_connection; }
    // The service wants an empty handle at the start of every dial.
    void clearConnection() { m_connection = kNoConnection; }

private:
    IDialupService& m_service;
    RASDIALPARAMSA m_params;
    HRASCONN m_connection = kNoConnection;
};

} // namespace telmaq
