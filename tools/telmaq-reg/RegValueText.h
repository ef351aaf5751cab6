#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace telmaq {

// The registry's name for a type tag ("REG_SZ", "REG_DWORD", ...), or "REG_0x<tag>".
std::string regTypeName(std::uint32_t type);

// A value as telmaq-reg shows it: a REG_DWORD of four bytes as "0x00000005 (5)", text up to
// its first zero (and never past its stored bytes), anything else as hexadecimal bytes.
std::string regValueText(std::uint32_t type, const std::vector<std::uint8_t>& data);

// Parses the DATA of "set ... dword DATA": decimal (a minus sign allowed) or 0x-hexadecimal,
// within 32 bits. False for anything else.
bool parseDword(const std::string& text, std::uint32_t* value);

// Strips a leading "HKEY_CURRENT_USER\" or "HKCU\" (any letter case). False for another root.
bool currentUserPath(const std::string& key, std::string* subKey);

} // namespace telmaq
