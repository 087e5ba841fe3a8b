#pragma once
// The constant tables every renderer shares and the 8-bit step rule.

#include "lighting/colour.h"

#include <array>
#include <cstdint>

namespace orvel::lighting {

// 256 entries: 0..191 one turn red -> green -> blue -> red, 192..255 repeat 0..63, so any
// byte is a valid index.
extern const std::array<Rgb, 256> kWheel;
// The four colours the four-colour effects cycle through.
extern const std::array<Rgb, 4> kFixedColours;
// Rising 0..255 (entries 0..63), then the same values falling.
extern const std::array<uint8_t, 128> kBreathing;
// 22..255 and back down to 22.
extern const std::array<uint8_t, 96> kCurve96;

// Brightness level 0..4 to intensity; a level outside 0..4 is clamped.
uint8_t Intensity(int brightness);
// Frames between two renders by speed 0..4 (28, 23, 18, 13, 7); speed clamped to 0..4.
uint8_t FrameThreshold(int speed);
// The effect list's spectrum step (10, 8, 5, 3, 1); speed clamped to 0..4.
uint8_t SpectrumStepThreshold(int speed);
// Blink period: 200 ms x FrameThreshold(speed).
uint32_t BlinkPeriodMs(int speed);

// step(forward, period, value, increment), all 8-bit. Forward: value + increment, or 0 when that
// is not below period. Backward: value - increment when that (as a byte) is below period, else
// period - increment.
uint8_t Step(bool forward, uint8_t period, uint8_t value, uint8_t increment);

} // namespace orvel::lighting
