#pragma once
// The plain inputs of the renderers. The device layer fills them from the profile's records;
// the renderers clamp brightness and speed to 0..4 wherever they use them as indexes.

#include "lighting/colour.h"

#include <cstdint>

namespace orvel::lighting {

// The lighting record as the renderers use it.
struct LightSettings {
    int mode = 0;          // mode index of the device's list
    int brightness = 0;    // 0..4
    int speed = 0;         // 0..4, 0 slowest
    bool direction = false;  // the record's direction byte ("Fx" non-zero)
    bool multicolor = false; // seven-colour flag
    Rgb colour;
    int fx = 0;            // the raw direction byte (keyboard mode 17 chooses its colour by it)
};

// One LED's own effect (the profile's per-LED list).
struct LedEffect {
    uint8_t type = 0;      // 0 breathing, 1 static, 2 blink, 3 spectrum, 4 off
    uint8_t brightness = 0;
    uint8_t speed = 0;
    bool direction = false;
    bool multicolor = false;
    Rgb colour;
    bool present = false;  // false for a null element of the list
};

// One step of a user effect list.
struct EffectStep {
    uint8_t type = 0;      // 0 breathing, 1 static, 2 blink, 3 none, 4 wave, 5 spectrum
    uint8_t brightness = 0;
    uint8_t speed = 0;
    bool direction = false;
    bool multicolor = false;
    Rgb colour;
    int32_t timeMs = 0;    // how long the step lasts
    int32_t cycle = 0;     // carried, not used by the player
};

} // namespace orvel::lighting
