#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace telmaq {

// The most bytes an entry name may have. The default entry is read into 256 bytes with its
// terminating zero, so a longer name could be listed and chosen but never read back as the
// default: one limit for every name that comes in keeps those apart.
constexpr std::size_t kMaxEntryNameBytes = 255;

// Why name cannot name a phonebook entry (empty, too long, a control character, not UTF-8),
// as a message; empty when it can.
std::string entryNameProblem(std::string_view name);

} // namespace telmaq
