#pragma once

#include <cstdint>
#include <string>

namespace telmaq::win32 {

// The system's own text for an error code, without the line end it comes with; "error N"
// when it has none.
std::string systemErrorText(std::uint32_t code);

// A UTF-16 text of the system as UTF-8.
std::string utf8(const wchar_t* text);

} // namespace telmaq::win32
