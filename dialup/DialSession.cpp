#include "dialup/DialSession.h"

#include <cstring>
#include <string.h> // explicit_bzero

namespace telmaq {

DialSession::DialSession(IDialupService& service) : m_service(service)
{
    std::memset(&m_params, 0, sizeof m_params);
}

DialSession::~DialSession()
{
    // The stored password must not linger in freed memory; explicit_bzero is not optimised
    // away although nothing reads the record afterwards.
    ::explicit_bzero(m_params.szPassword, sizeof m_params.szPassword);
}

std::uint32_t DialSession::LoadParams(const std::string& entry, bool* passwordRetrieved)
{
    ::explicit_bzero(m_params.szPassword, sizeof m_params.szPassword);
    std::memset(&m_params, 0, sizeof m_params);
    m_params.dwSize = sizeof(RASDIALPARAMSA);
    // A longer name would have to be cut short, and the shortened name may well be another
    // entry's; no entry has such a name, so we say so instead of dialling the wrong one.
    if (entry.size() > RAS_MaxEntryName || entry.find('\0') != std::string::npos)
        return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    std::memcpy(m_params.szEntryName, entry.c_str(), entry.size() + 1);
    std::memcpy(m_params.szDomain, "*", 2);
    const std::uint32_t answer = m_service.getEntryDialParams(&m_params, passwordRetrieved);
    // Whatever the service wrote, every text field ends inside its own bounds.
    m_params.szEntryName[RAS_MaxEntryName] = '\0';
    m_params.szPhoneNumber[RAS_MaxPhoneNumber] = '\0';
    m_params.szCallbackNumber[RAS_MaxCallbackNumber] = '\0';
    m_params.szUserName[UNLEN] = '\0';
    m_params.szPassword[PWLEN] = '\0';
    m_params.szDomain[DNLEN] = '\0';
    return answer;
}

std::uint32_t DialSession::Dial(std::uint32_t notifierType, RasDialFunc notifier)
{
    return m_service.dial(&m_params, notifierType, notifier, &m_connection);
}

std::uint32_t DialSession::HangUp()
{
    return m_service.hangUp(m_connection);
}

} // namespace telmaq
