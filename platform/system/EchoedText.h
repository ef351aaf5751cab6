#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace telmaq {

// A text the user gave, as an error message shows it back: in single quotes; a control
// character, DEL or a byte that is not UTF-8 written as \n, \t or \xNN, so that no
// terminal escape reaches the terminal; and cut after about maxBytes, with the full length
// said, so that a huge argument does not bury the message.
std::string echoed(std::string_view text, std::size_t maxBytes = 80);

} // namespace telmaq
