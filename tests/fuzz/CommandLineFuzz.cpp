#include "platform/process/CommandLine.h"
#include "tests/fuzz/FuzzInput.h"

using namespace telmaq;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string line(reinterpret_cast<const char*>(data), size);
    const CommandLineWords split = splitCommandLine(line);
    fuzz::require(split.ok == split.error.empty());
    if (!split.ok)
        return 0;
    // Every word written back with quoteCommandWord splits into that word again, alone and
    // with the others.
    std::string again;
    for (const std::string& word : split.words) {
        const std::string quoted = quoteCommandWord(word);
        const CommandLineWords one = splitCommandLine(quoted);
        fuzz::require(one.ok && one.words.size() == 1 && one.words[0] == word);
        again += (again.empty() ? "" : " ") + quoted;
    }
    const CommandLineWords all = splitCommandLine(again);
    fuzz::require(all.ok && all.words == split.words);
    return 0;
}
