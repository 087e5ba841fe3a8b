#pragma once
// The renderers every device kind shares, the intensity decay and the marker ring used by the
// moving effects. Each renderer fills the whole buffer from the settings and its render state.

#include "lighting/led_buffer.h"
#include "lighting/settings.h"

#include <array>
#include <cstdint>

namespace orvel::lighting {

inline constexpr int kRingPlaces = 23;
inline constexpr int kMaxLeds = 170;

struct RenderState {
    uint8_t phase = 0;
    uint8_t position = 0;     // wheel position
    uint8_t colourIndex = 0;  // which of the four fixed colours
    bool blinkOn = false;
    uint64_t lastBlinkMs = 0;
    std::array<uint8_t, kRingPlaces> marks{};
    std::array<uint8_t, kMaxLeds> intensity{};
};

void RenderBreathing(LedBuffer& leds, RenderState& s, const LightSettings& l);
void RenderBreathing4(LedBuffer& leds, RenderState& s, const LightSettings& l);
void RenderStatic(LedBuffer& leds, RenderState& s, const LightSettings& l);
void RenderSpectrum(LedBuffer& leds, RenderState& s, const LightSettings& l);
void RenderBlink(LedBuffer& leds, RenderState& s, const LightSettings& l, uint64_t nowMs);
void RenderBlink4(LedBuffer& leds, RenderState& s, const LightSettings& l, uint64_t nowMs);
void RenderOff(LedBuffer& leds);

// The next intensity of an LED whose intensity is v, for mode index mode (rows 0, 29, others).
uint8_t DecayIntensity(uint8_t v, int mode);
void DecayIntensity(RenderState& s, int led, int mode);

// Every LED i below limit, below 170 and below the ring's size whose ring place holds a marker
// gets intensity 255. The shared renderers use limit 9; the pad and headset their LED count.
void LightMarkedKeys(RenderState& s, int limit);
// Rotates the first places (at most 23) by one: forward moves every place to the next higher
// one and the last into place 0; backward the reverse.
void RotateMarks(RenderState& s, bool forward, int places = kRingPlaces);
// All intensities and marks to 0.
void ClearReactive(RenderState& s);

} // namespace orvel::lighting
