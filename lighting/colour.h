#pragma once
// Colours and the packed LED entry. An LED entry is red | green << 8 | blue << 16 | level << 24;
// the level (0..255) scales every component when the LED is shown or sent: c x level / 256.

#include <cstdint>

namespace orvel::lighting {

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

constexpr uint32_t PackLed(Rgb c, uint8_t level)
{
    return uint32_t(c.r) | uint32_t(c.g) << 8 | uint32_t(c.b) << 16 | uint32_t(level) << 24;
}

constexpr Rgb ColourOf(uint32_t entry)
{
    return Rgb{uint8_t(entry), uint8_t(entry >> 8), uint8_t(entry >> 16)};
}

constexpr uint8_t LevelOf(uint32_t entry) { return uint8_t(entry >> 24); }

// A component as it is shown and sent: component x level / 256, rounded down.
constexpr uint8_t Scale(uint8_t component, uint8_t level) { return uint8_t((component * level) >> 8); }

// (a x b) >> 8: a level scaled by a curve value or an intensity.
constexpr uint8_t Mul8(unsigned a, unsigned b) { return uint8_t((a * b) >> 8); }

// The packing the on-screen LED buttons take: red | blue << 8 | green << 16.
constexpr uint32_t PackForButton(Rgb c)
{
    return uint32_t(c.r) | uint32_t(c.b) << 8 | uint32_t(c.g) << 16;
}

} // namespace orvel::lighting
