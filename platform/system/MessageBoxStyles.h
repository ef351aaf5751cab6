#pragma once

namespace telmaq {

// Message box styles: OK only, with one of these icons. The values are the desktop platform's
// own, so that a style reads the same in every layer and in the message log.
constexpr unsigned MB_OK = 0x00;
constexpr unsigned MB_ICONEXCLAMATION = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;

} // namespace telmaq
