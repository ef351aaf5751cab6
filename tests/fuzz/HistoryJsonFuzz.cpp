#include "tests/fuzz/FuzzInput.h"
#include "tools/telmaq-dialup/HistoryJson.h"

#include <sstream>

using namespace telmaq;

namespace {

// The length of the UTF-8 sequence at text[i], or 0 when none starts there.
std::size_t sequenceLength(const std::string& text, std::size_t i)
{
    const auto byte = [&](std::size_t at) { return at < text.size() ? static_cast<unsigned char>(text[at]) : 0u; };
    const unsigned c = byte(i);
    const auto follows = [&](std::size_t at) { return (byte(at) & 0xC0) == 0x80; };
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF)
        return follows(i + 1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        const unsigned d = byte(i + 1);
        if ((c == 0xE0 && d < 0xA0) || (c == 0xED && d >= 0xA0))
            return 0;
        return follows(i + 1) && follows(i + 2) ? 3 : 0;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        const unsigned d = byte(i + 1);
        if ((c == 0xF0 && d < 0x90) || (c == 0xF4 && d >= 0x90))
            return 0;
        return follows(i + 1) && follows(i + 2) && follows(i + 3) ? 4 : 0;
    }
    return 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string> parts = fuzz::splitAtZeros(data, size);
    std::vector<HistoryRow> rows;
    for (std::size_t i = 0; i < parts.size(); i += 6) {
        HistoryRow row;
        std::string* fields[] = {&row.local, &row.entry, &row.provider, &row.cause, &row.event, &row.text};
        for (std::size_t f = 0; f < 6 && i + f < parts.size(); ++f)
            *fields[f] = parts[i + f];
        row.code = static_cast<std::uint32_t>(row.entry.size() * 7919u);
        if (row.text.size() % 2)
            row.durationS = static_cast<std::int64_t>(row.text.size()) - 3;
        rows.push_back(row);
    }
    std::ostringstream out;
    dialuptool::printHistoryJson(out, rows);
    const std::string json = out.str();
    // What a JSON reader is given is UTF-8 throughout, one object per line, and no control
    // character but the line feed that ends each object.
    std::size_t lines = 0;
    for (std::size_t i = 0; i < json.size();) {
        const std::size_t length = sequenceLength(json, i);
        fuzz::require(length > 0);
        const auto c = static_cast<unsigned char>(json[i]);
        fuzz::require(c >= 0x20 || c == '\n');
        lines += c == '\n';
        i += length;
    }
    fuzz::require(lines == rows.size());
    return 0;
}
