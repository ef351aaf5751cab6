#pragma once

#include "platform/dialup/DialupService.h"

#include <cstdint>

namespace telmaq {

// Message texts for the service's error codes: the program's own for the common ones, the
// service's for the rest.
class RasErrorText
{
public:
    explicit RasErrorText(IDialupService& service);

    // The text for code. A text fetched from the service lives in one 256-byte buffer and
    // stays valid until the next call for a code outside the program's own table.
    const char* GetRasErrorText(std::uint32_t code);

private:
    IDialupService& m_service;
    char m_buffer[256] = {};
};

} // namespace telmaq
