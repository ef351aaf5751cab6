#include "platform/system/EchoedText.h"

#include "platform/system/Utf8.h"

#include <cstdio>

namespace telmaq {

std::string echoed(std::string_view text, std::size_t maxBytes)
{
    std::string shown = "'";
    std::size_t at = 0;
    while (at < text.size() && shown.size() <= maxBytes) {
        const auto c = static_cast<unsigned char>(text[at]);
        const std::size_t length = utf8SequenceAt(text, at);
        if (length > 1 || (length == 1 && c >= 0x20 && c != 0x7f)) {
            shown.append(text.substr(at, length));
            at += length;
            continue;
        }
        if (c == '\n') {
            shown += "\\n";
        } else if (c == '\t') {
            shown += "\\t";
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            shown += escaped;
        }
        ++at;
    }
    shown += '\'';
    if (at < text.size())
        shown += "... (" + std::to_string(text.size()) + " bytes)";
    return shown;
}

} // namespace telmaq
