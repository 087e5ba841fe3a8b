#pragma once
// The effects the mouse, the mouse pad and the headset render themselves (the shared ones are in
// base_renderers.h).

#include "lighting/base_renderers.h"
#include "lighting/led_buffer.h"
#include "lighting/random.h"
#include "lighting/settings.h"

#include <array>
#include <cstdint>

namespace orvel::lighting {

// The mouse's LEDs in seven groups, the wave and the rotating trigger move over.
inline constexpr int kMouseGroups = 7;

// Wave: group g (or LED g for the pad) shows wheel[(position + 1 + 7 g) mod 192], or the colour at
// intensity x curve96[(position + 1 + 7 g) mod 96].
void RenderMouseWave(LedBuffer& leds, RenderState& s, const LightSettings& l);
void RenderPadWave(LedBuffer& leds, RenderState& s, const LightSettings& l);
// The headset's wave: LEDs 16 wheel places apart, or the colour along the curve 10 places apart.
void RenderHeadsetWave(LedBuffer& leds, RenderState& s, const LightSettings& l);

// Rotating trigger: a marker entering at the entry group runs round the groups, each group's level
// decaying behind it. TriggerMouseRing puts a marker at the entry place (a key press on the mouse).
void RenderRotatingTrigger(LedBuffer& leds, RenderState& s, const LightSettings& l);
void TriggerMouseRing(RenderState& s, const LightSettings& l);

// Key-press fade: every LED rises to full level and fades by 15 a frame.
class KeyPressFade {
public:
    void Trigger(Random& random);
    void Render(LedBuffer& leds, const LightSettings& l);
    void Reset();

private:
    struct Led {
        uint8_t state = 0; // 0 idle, 1 rising, 2 falling
        uint8_t level = 0;
        uint8_t hue = 0;
    };
    std::array<Led, kMaxLeds> leds_{};
};

// Comet (pad and headset): a head running along the LEDs with a decaying tail; the mirrored comet
// runs the same tail over LED pairs from both ends. frameCounter is the device's comet counter.
void RenderComet(LedBuffer& leds, RenderState& s, const LightSettings& l, uint32_t& frameCounter);
void RenderMirroredComet(LedBuffer& leds, RenderState& s, const LightSettings& l, uint32_t& frameCounter);

} // namespace orvel::lighting
