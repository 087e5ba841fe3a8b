#pragma once
// The text the audio library reads back and the binary values the program writes, both
// independent of the process's locale.

#include "audio/osconf_api.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvel::audio {

// One value or parameter buffer, cleared to zero.
using PropertyBuffer = std::array<unsigned char, OSCONF_BUFFER_SIZE>;

// The buffer's text up to its first NUL; the last byte is taken as NUL whatever it held.
std::string_view BufferText(PropertyBuffer& buffer);

// A decimal integer with optional sign, surrounding spaces allowed; nullopt for anything else
// or a number outside 32 bits.
std::optional<std::int32_t> ParseIntegerText(std::string_view text);
// A decimal fraction ("0.5", "-12.25", "1e-3"), surrounding spaces allowed; nullopt otherwise.
std::optional<double> ParseFractionText(std::string_view text);
// A fraction as the library writes it: six decimals, '.' as the separator.
std::string FractionText(double value);

void PutInt32(PropertyBuffer& buffer, std::size_t offset, std::int32_t value);
void PutFloat(PropertyBuffer& buffer, float value);
std::int32_t GetInt32(const PropertyBuffer& buffer, std::size_t offset);
float GetFloat(const PropertyBuffer& buffer);

// A level 0..100 from a scalar 0..1, rounded to the nearest step (a scalar written for 37 may
// read back as 0.36999).
int LevelFromScalar(double scalar);

} // namespace orvel::audio
