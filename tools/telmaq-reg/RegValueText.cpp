#include "tools/telmaq-reg/RegValueText.h"

#include "platform/registry/Registry.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace telmaq {
namespace {

std::string upper(const std::string& text)
{
    std::string result = text;
    for (char& c : result) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return result;
}

} // namespace

std::string regTypeName(std::uint32_t type)
{
    switch (type) {
    case REG_NONE:
        return "REG_NONE";
    case REG_SZ:
        return "REG_SZ";
    case 2:
        return "REG_EXPAND_SZ";
    case REG_BINARY:
        return "REG_BINARY";
    case REG_DWORD:
        return "REG_DWORD";
    case 5:
        return "REG_DWORD_BIG_ENDIAN";
    case 7:
        return "REG_MULTI_SZ";
    case 11:
        return "REG_QWORD";
    default:
        char name[32];
        std::snprintf(name, sizeof name, "REG_0x%x", type);
        return name;
    }
}

std::string regValueText(std::uint32_t type, const std::vector<std::uint8_t>& data)
{
    if (type == REG_DWORD && data.size() == 4) {
        const std::uint32_t value = static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
                                    static_cast<std::uint32_t>(data[2]) << 16 |
                                    static_cast<std::uint32_t>(data[3]) << 24;
        // Negative numbers are stored this way (WindowTop of a window above the screen), and
        // are easier to recognise as such.
        char text[48];
        if (value & 0x80000000u)
            std::snprintf(text, sizeof text, "0x%08x (%u, %d)", value, value, static_cast<std::int32_t>(value));
        else
            std::snprintf(text, sizeof text, "0x%08x (%u)", value, value);
        return text;
    }
    if (type == REG_SZ || type == 2) {
        const void* zero = data.empty() ? nullptr : std::memchr(data.data(), '\0', data.size());
        const std::size_t length =
            zero ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - data.data()) : data.size();
        return std::string(reinterpret_cast<const char*>(data.data()), length);
    }
    std::string hex;
    for (std::uint8_t byte : data) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", byte);
        hex += pair;
    }
    return hex;
}

bool parseDword(const std::string& text, std::uint32_t* value)
{
    if (text.empty() || text.find_first_of(" \t\n") != std::string::npos)
        return false;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const bool negative = !hex && text[0] == '-';
    const char* digits = text.c_str() + (hex ? 2 : negative ? 1 : 0);
    if (*digits == '\0' || *digits == '+' || *digits == '-')
        return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long magnitude = std::strtoull(digits, &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0')
        return false;
    if (negative) {
        if (magnitude > 0x80000000ull)
            return false;
        *value = static_cast<std::uint32_t>(0x100000000ull - magnitude);
        return true;
    }
    if (magnitude > 0xFFFFFFFFull)
        return false;
    *value = static_cast<std::uint32_t>(magnitude);
    return true;
}

bool currentUserPath(const std::string& key, std::string* subKey)
{
    const std::size_t slash = key.find('\\');
    const std::string first = upper(key.substr(0, slash));
    if (first == "HKEY_CURRENT_USER" || first == "HKCU") {
        *subKey = slash == std::string::npos ? std::string() : key.substr(slash + 1);
        return true;
    }
    if (first.rfind("HKEY_", 0) == 0 || first == "HKLM" || first == "HKCR" || first == "HKU" || first == "HKCC")
        return false;
    *subKey = key;
    return true;
}

} // namespace telmaq
