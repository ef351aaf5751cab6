#include "tools/telmaq-dialup/HistoryJson.h"

#include "platform/system/Utf8.h"

#include <cstdio>
#include <ostream>

namespace telmaq::dialuptool {

void appendJsonString(std::string& out, const std::string& text)
{
    out += '"';
    // Runs of plain characters go in whole; only quotes, backslashes and controls are escaped.
    // A byte that starts no UTF-8 character (a name from a damaged row) becomes U+FFFD, so that
    // a JSON reader never meets text that is not UTF-8.
    std::size_t plain = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = utf8SequenceAt(text, i);
        if (length > 1) {
            i += length;
            continue;
        }
        if (c != '"' && c != '\\' && c >= 0x20 && c != 0x7f && length == 1) {
            ++i;
            continue;
        }
        out.append(text, plain, i - plain);
        plain = ++i;
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", length == 0 ? 0xfffd : c);
            out += escaped;
        }
    }
    out.append(text, plain, std::string::npos);
    out += '"';
}

void printHistoryJson(std::ostream& out, const std::vector<HistoryRow>& rows)
{
    std::string buffer;
    for (const HistoryRow& row : rows) {
        const std::pair<const char*, const std::string*> texts[] = {
            {"{\"time\":", &row.local},  {",\"entry\":", &row.entry}, {",\"provider\":", &row.provider},
            {",\"cause\":", &row.cause}, {",\"event\":", &row.event},
        };
        for (const auto& [key, text] : texts) {
            buffer += key;
            appendJsonString(buffer, *text);
        }
        buffer += ",\"code\":";
        buffer += std::to_string(row.code);
        buffer += ",\"text\":";
        appendJsonString(buffer, row.text);
        buffer += ",\"duration\":";
        buffer += row.durationS ? std::to_string(*row.durationS) : "null";
        buffer += "}\n";
        if (buffer.size() > 1 << 16) {
            out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            buffer.clear();
        }
    }
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
}

} // namespace telmaq::dialuptool
