#include "lighting/base_renderers.h"

#include "lighting/tables.h"

#include <algorithm>

namespace orvel::lighting {

namespace {

void Breathe(LedBuffer& leds, RenderState& s, const LightSettings& l, bool fourColours)
{
    s.phase = Step(l.direction, 128, s.phase, 1);
    if (s.phase == 0) {
        if (fourColours) {
            s.colourIndex = uint8_t((s.colourIndex + 1) % 4);
        } else {
            s.position = uint8_t(s.position + 16);
            if (s.position > 192) {
                s.position = 0;
            }
        }
    }
    Rgb colour = l.colour;
    if (fourColours) {
        colour = kFixedColours[s.colourIndex % 4];
    } else if (l.multicolor) {
        colour = kWheel[s.position];
    }
    leds.Fill(PackLed(colour, Mul8(kBreathing[s.phase & 127], Intensity(l.brightness))));
}

void Blink(LedBuffer& leds, RenderState& s, const LightSettings& l, uint64_t nowMs, bool fourColours)
{
    if (nowMs - s.lastBlinkMs >= BlinkPeriodMs(l.speed)) {
        s.blinkOn = !s.blinkOn;
        s.lastBlinkMs = nowMs;
        if (fourColours) {
            s.colourIndex = uint8_t((s.colourIndex + 1) % 4);
        } else {
            s.position = uint8_t(s.position + 16);
            if (s.position >= 192) {
                s.position = 0;
            }
        }
    }
    if (!s.blinkOn) {
        leds.Fill(0);
        return;
    }
    Rgb colour = l.colour;
    if (fourColours) {
        colour = kFixedColours[s.colourIndex % 4];
    } else if (l.multicolor) {
        colour = kWheel[s.position];
    }
    leds.Fill(PackLed(colour, Intensity(l.brightness)));
}

} // namespace

void RenderBreathing(LedBuffer& leds, RenderState& s, const LightSettings& l) { Breathe(leds, s, l, false); }
void RenderBreathing4(LedBuffer& leds, RenderState& s, const LightSettings& l) { Breathe(leds, s, l, true); }

void RenderStatic(LedBuffer& leds, RenderState&, const LightSettings& l)
{
    leds.Fill(PackLed(l.colour, Intensity(l.brightness)));
}

void RenderSpectrum(LedBuffer& leds, RenderState& s, const LightSettings& l)
{
    s.position = Step(l.direction, 192, s.position, 1);
    leds.Fill(PackLed(kWheel[s.position], Intensity(l.brightness)));
}

void RenderBlink(LedBuffer& leds, RenderState& s, const LightSettings& l, uint64_t nowMs)
{
    Blink(leds, s, l, nowMs, false);
}

void RenderBlink4(LedBuffer& leds, RenderState& s, const LightSettings& l, uint64_t nowMs)
{
    Blink(leds, s, l, nowMs, true);
}

void RenderOff(LedBuffer& leds) { leds.Fill(0); }

uint8_t DecayIntensity(uint8_t v, int mode)
{
    struct Band {
        uint8_t from;
        uint8_t minus;
    };
    // Bands from the top; the first whose lower bound v reaches gives the decrement.
    static constexpr Band kMode0[] = {{128, 40}, {64, 30}, {32, 15}, {17, 8}, {1, 1}};
    static constexpr Band kMode29[] = {{0x90, 45}, {0x80, 40}, {0x70, 35}, {0x60, 30}, {0x50, 25},
                                       {0x40, 20}, {0x20, 10}, {17, 5},    {1, 1}};
    static constexpr Band kOther[] = {{128, 40}, {64, 30}, {32, 10}, {17, 8}, {1, 1}};
    auto apply = [v](const auto& bands) -> uint8_t {
        for (const Band& b : bands) {
            if (v >= b.from) {
                return uint8_t(v - b.minus);
            }
        }
        return 0;
    };
    if (mode == 0) {
        return apply(kMode0);
    }
    if (mode == 29) {
        return apply(kMode29);
    }
    return apply(kOther);
}

void DecayIntensity(RenderState& s, int led, int mode)
{
    if (led >= 0 && led < kMaxLeds) {
        s.intensity[led] = DecayIntensity(s.intensity[led], mode);
    }
}

void LightMarkedKeys(RenderState& s, int limit)
{
    const int n = std::min({limit, kMaxLeds, kRingPlaces});
    for (int i = 0; i < n; ++i) {
        if (s.marks[i] != 0) {
            s.intensity[i] = 255;
        }
    }
}

void RotateMarks(RenderState& s, bool forward, int places)
{
    const int n = std::clamp(places, 0, kRingPlaces);
    if (n < 2) {
        return;
    }
    auto first = s.marks.begin();
    if (forward) {
        std::rotate(first, first + n - 1, first + n);
    } else {
        std::rotate(first, first + 1, first + n);
    }
}

void ClearReactive(RenderState& s)
{
    s.intensity.fill(0);
    s.marks.fill(0);
}

} // namespace orvel::lighting
