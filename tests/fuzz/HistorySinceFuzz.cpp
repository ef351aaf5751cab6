#include "tests/fuzz/FuzzInput.h"
#include "tools/telmaq-dialup/HistorySince.h"

#include <cstdlib>

using namespace telmaq;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // One zone with summer time, so that dates in its gaps and overlaps come up.
    setenv("TZ", "Europe/Berlin", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    constexpr std::int64_t nowMs = 1796000000000; // November 2026
    const auto sinceMs = dialuptool::parseSince(text, nowMs);
    if (!sinceMs)
        return 0;
    // A duration is digits and a unit, and looks back; a date is digits where its form has
    // them and nothing after.
    const bool duration = text.size() >= 2 && text.find_first_not_of("0123456789") == text.size() - 1;
    fuzz::require(!duration || *sinceMs <= nowMs);
    if (!duration) {
        fuzz::require(text.size() == 10 || text.size() == 16 || text.size() == 19);
        fuzz::require(text.find_first_not_of("0123456789-: T") == std::string::npos);
    }
    return 0;
}
