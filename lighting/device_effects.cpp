#include "lighting/device_effects.h"

#include "lighting/tables.h"

#include <algorithm>

namespace orvel::lighting {

namespace {

// LED indices of the mouse's seven groups.
constexpr std::array<std::array<int, 3>, kMouseGroups> kMouseGroupLeds = {{
    {0, 13, -1}, {1, 12, -1}, {2, 11, -1}, {3, 10, -1}, {4, 9, -1}, {5, 8, -1}, {6, 14, 7},
}};

template <typename Paint>
void ForGroup(int g, Paint paint)
{
    for (int led : kMouseGroupLeds[g]) {
        if (led >= 0) {
            paint(led);
        }
    }
}

// Shared by the mouse's and the pad's wave: unit u (group or LED) of count units, 7 places apart.
template <typename Paint>
void Wave7(RenderState& s, const LightSettings& l, int units, Paint paint)
{
    const uint8_t bright = Intensity(l.brightness);
    if (l.multicolor) {
        s.phase = Step(l.direction, 192, s.phase, 1);
        for (int u = 0; u < units; ++u) {
            paint(u, PackLed(kWheel[(s.phase + 1 + 7 * u) % 192], bright));
        }
        return;
    }
    s.phase = Step(l.direction, 96, s.phase, 1);
    for (int u = 0; u < units; ++u) {
        paint(u, PackLed(l.colour, Mul8(bright, kCurve96[(s.phase + 1 + 7 * u) % 96])));
    }
}

// The colour of the next LED (or pair) while the comet's head is dark: the running phase moves
// on by 12 and its wheel colour is taken.
Rgb NextRunningColour(RenderState& s)
{
    s.phase = uint8_t(s.phase + 12);
    return kWheel[s.phase >= 192 ? s.phase - 192 : s.phase];
}

bool AnyMark(const RenderState& s, int places)
{
    return std::any_of(s.marks.begin(), s.marks.begin() + places, [](uint8_t m) { return m != 0; });
}

} // namespace

void RenderMouseWave(LedBuffer& leds, RenderState& s, const LightSettings& l)
{
    Wave7(s, l, kMouseGroups, [&](int g, uint32_t e) { ForGroup(g, [&](int led) { leds.SetLedColor(led, e); }); });
}

void RenderPadWave(LedBuffer& leds, RenderState& s, const LightSettings& l)
{
    Wave7(s, l, leds.Count(), [&](int i, uint32_t e) { leds.SetLedColor(i, e); });
}

void RenderHeadsetWave(LedBuffer& leds, RenderState& s, const LightSettings& l)
{
    const uint8_t bright = Intensity(l.brightness);
    if (l.multicolor) {
        s.phase = Step(l.direction, 192, s.phase, 1);
        for (int i = 0; i < leds.Count(); ++i) {
            leds.SetLedColor(i, PackLed(kWheel[(s.phase + 1 + 16 * i) % 192], bright));
        }
        return;
    }
    s.phase = Step(l.direction, 96, s.phase, 3);
    for (int i = 0; i < leds.Count(); ++i) {
        leds.SetLedColor(i, PackLed(l.colour, Mul8(bright, kCurve96[(s.phase + 10 * i) % 96])));
    }
}

void TriggerMouseRing(RenderState& s, const LightSettings& l)
{
    s.marks[l.direction ? 0 : kMouseGroups - 1] = 1;
}

void RenderRotatingTrigger(LedBuffer& leds, RenderState& s, const LightSettings& l)
{
    const uint8_t bright = Intensity(l.brightness);
    s.position = Step(l.direction, 192, s.position, 1);
    LightMarkedKeys(s, kMouseGroups);
    RotateMarks(s, l.direction, kMouseGroups);
    for (int g = 0; g < kMouseGroups; ++g) {
        DecayIntensity(s, g, l.mode);
    }
    const bool entryLit = s.intensity[l.direction ? 0 : kMouseGroups - 1] != 0;
    for (int g = 0; g < kMouseGroups; ++g) {
        Rgb colour = l.colour;
        if (l.multicolor) {
            if (entryLit) {
                colour = ColourOf(leds.GetLedColor(kMouseGroupLeds[g][0]));
            } else {
                s.position = uint8_t(s.position + 12);
                colour = kWheel[s.position % 192];
            }
        }
        const uint32_t e = PackLed(colour, Mul8(bright, s.intensity[g]));
        ForGroup(g, [&](int led) { leds.SetLedColor(led, e); });
    }
}

void KeyPressFade::Trigger(Random& random)
{
    for (Led& led : leds_) {
        led.state = 1;
        led.level = 255;
        led.hue = uint8_t(random.Below(192));
    }
}

void KeyPressFade::Reset() { leds_.fill(Led{}); }

void KeyPressFade::Render(LedBuffer& leds, const LightSettings& l)
{
    const uint8_t bright = Intensity(l.brightness);
    const int n = std::min<int>(leds.Count(), kMaxLeds);
    for (int i = 0; i < n; ++i) {
        Led& led = leds_[i];
        if (led.state == 1) {
            led.level = uint8_t(std::min(led.level + 15, 255));
            if (led.level == 255) {
                led.state = 2;
            }
        } else if (led.state == 2) {
            led.level = uint8_t(std::max(led.level - 15, 0));
        }
        const Rgb colour = l.multicolor ? kWheel[led.hue] : l.colour;
        leds.SetLedColor(i, PackLed(colour, Mul8(bright, led.level)));
    }
}

void RenderComet(LedBuffer& leds, RenderState& s, const LightSettings& l, uint32_t& frameCounter)
{
    const int count = std::min<int>(leds.Count(), kMaxLeds);
    if (count == 0) {
        return;
    }
    const int head = l.direction ? 0 : std::min(count, kRingPlaces) - 1;
    const uint8_t bright = Intensity(l.brightness);
    s.phase = Step(l.direction, 192, s.phase, 1);
    if (!AnyMark(s, kRingPlaces)) {
        s.marks[head] = 1;
    }
    if (++frameCounter % 2 == 0) {
        LightMarkedKeys(s, count);
        RotateMarks(s, l.direction, kRingPlaces);
    }
    const bool headLit = s.intensity[head] != 0;
    for (int i = 0; i < count; ++i) {
        DecayIntensity(s, i, l.mode);
        Rgb colour = l.colour;
        if (l.multicolor) {
            colour = headLit ? ColourOf(leds.GetLedColor(i)) : NextRunningColour(s);
        }
        leds.SetLedColor(i, PackLed(colour, Mul8(bright, s.intensity[i])));
    }
}

void RenderMirroredComet(LedBuffer& leds, RenderState& s, const LightSettings& l, uint32_t& frameCounter)
{
    constexpr int kPlaces = 8;
    constexpr int kPairs = 7;
    const int count = std::min<int>(leds.Count(), kMaxLeds);
    if (count == 0) {
        return;
    }
    // The marker enters at place 7 and runs down to place 0 with the direction set, else upwards.
    const int head = l.direction ? kPlaces - 1 : 0;
    const uint8_t bright = Intensity(l.brightness);
    s.phase = Step(l.direction, 192, s.phase, 1);
    if (!AnyMark(s, kPlaces)) {
        s.marks[head] = 1;
    }
    if (++frameCounter % 2 == 0) {
        LightMarkedKeys(s, count);
        RotateMarks(s, !l.direction, kPlaces);
    }
    const bool headLit = s.intensity[head] != 0;
    for (int i = 0; i < std::min(count, kPlaces); ++i) {
        DecayIntensity(s, i, l.mode);
    }
    for (int k = 0; k < kPairs; ++k) {
        const int first = k + 1;
        const int second = 14 - k;
        Rgb colour = l.colour;
        if (l.multicolor) {
            colour = headLit ? ColourOf(leds.GetLedColor(first)) : NextRunningColour(s);
        }
        const uint32_t e = PackLed(colour, Mul8(bright, s.intensity[k]));
        leds.SetLedColor(first, e);  // members at or beyond the count are ignored by the buffer
        leds.SetLedColor(second, e);
    }
}

} // namespace orvel::lighting
