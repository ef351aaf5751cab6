#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace telmaq::fuzz {

// The input cut at zero bytes into texts, so that one input can carry several arguments.
inline std::vector<std::string> splitAtZeros(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            parts.emplace_back();
        else
            parts.back() += static_cast<char>(data[i]);
    }
    return parts;
}

// A broken promise of the code under test: abort, so that libFuzzer keeps the input.
inline void require(bool holds)
{
    if (!holds)
        std::abort();
}

} // namespace telmaq::fuzz
