#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace telmaq::dialuptool {

// Milliseconds since the epoch of a --since value: a duration back from nowMs (90s, 30m, 12h,
// 1d, 2w) or a local date with an optional time; nothing when it is neither form.
std::optional<std::int64_t> parseSince(const std::string& text, std::int64_t nowMs);

} // namespace telmaq::dialuptool
