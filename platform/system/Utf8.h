#pragma once

#include <cstddef>
#include <string_view>

namespace telmaq {

// The length of the well-formed UTF-8 sequence that starts at text[at], or 0 when none does
// (a stray continuation byte, a cut sequence, an overlong form, a surrogate, past U+10FFFF).
std::size_t utf8SequenceAt(std::string_view text, std::size_t at);

// Whether text is well-formed UTF-8 throughout.
bool isUtf8(std::string_view text);

} // namespace telmaq
