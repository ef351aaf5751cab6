#include "dialup/RasErrorText.h"

#include "platform/dialup/CodeText.h"

namespace telmaq {

namespace {

constexpr const char* kUnknownCode = "(エラーコードの間違い)";

} // namespace

RasErrorText::RasErrorText(IDialupService& service) : m_service(service) {}

const char* RasErrorText::GetRasErrorText(std::uint32_t code)
{
    if (const char* text = textFor(kOwnErrorTexts, code))
        return text;
    if (m_service.getErrorString(code, m_buffer, sizeof m_buffer) != 0)
        return kUnknownCode;
    // A service that fills the whole buffer without a terminating zero must not make us read
    // past it.
    m_buffer[sizeof m_buffer - 1] = '\0';
    return m_buffer;
}

} // namespace telmaq
