#include "platform/dialup/EntryName.h"

#include "platform/system/Utf8.h"

namespace telmaq {

std::string entryNameProblem(std::string_view name)
{
    if (name.empty())
        return "the entry name is empty";
    if (name.size() > kMaxEntryNameBytes)
        return "the entry name is longer than " + std::to_string(kMaxEntryNameBytes) +
               " bytes, the most that the default entry holds";
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return "the entry name holds a control character";
    }
    // Names are shown, listed and written as JSON as UTF-8 text.
    if (!isUtf8(name))
        return "the entry name is not valid UTF-8";
    return {};
}

} // namespace telmaq
