#pragma once
// Numbers typed into edits and stored as decimal strings.

#include <cstdint>
#include <string>
#include <string_view>

namespace orvel::input {

// Reads the text as a decimal integer the way the panels always have: leading blanks, an
// optional sign, then digits up to the first other character; text that is not a number
// reads as 0. Very long numbers saturate instead of wrapping.
int64_t ParseDecimal(std::string_view text);

// ParseDecimal clamped to lo..hi.
int64_t ParseClamped(std::string_view text, int64_t lo, int64_t hi);

} // namespace orvel::input
