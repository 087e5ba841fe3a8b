#pragma once
// Conversions between the toolkit's wide strings and the UTF-8 of JSON documents and files.

#include <cstdint>
#include <string>
#include <string_view>

namespace orvel::text {

// Invalid UTF-8 sequences become U+FFFD; nothing is dropped silently.
std::wstring FromUtf8(std::string_view utf8);
// Lone surrogates and values above U+10FFFF become U+FFFD.
std::string ToUtf8(std::wstring_view wide);

// A 32-bit value as exactly 8 upper-case hexadecimal digits, most significant first.
std::string HexUpper8(uint32_t value);

} // namespace orvel::text
