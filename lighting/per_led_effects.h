#pragma once
// Each LED's own effect from the profile's per-LED list, applied on top of the main effect after
// every pass of a light loop. The list is replaced under its lock while the loop may use it.

#include "lighting/led_buffer.h"
#include "lighting/settings.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace orvel::lighting {

class PerLedEffects {
public:
    // Replaces the list and resets every counter; blink periods start at nowMs.
    void Load(std::vector<LedEffect> list, uint64_t nowMs);
    // Applies the effects of one or more passes (passes > 1 only when the caller skipped passes in
    // which nothing was due, see PassesUntilDue). LEDs at or beyond the buffer's count are left alone.
    void Apply(LedBuffer& leds, uint64_t nowMs, uint32_t passes = 1);
    // How many passes may go by before Apply changes something, and the time of the next blink
    // toggle; nullopt when nothing changes on its own (static and off only, or an empty list).
    std::optional<uint32_t> PassesUntilDue() const;
    std::optional<uint64_t> NextBlinkMs() const;
    bool Empty() const;

private:
    struct Counter {
        uint8_t phase = 0;
        uint8_t position = 0;
        uint32_t count = 0;
        bool on = false;
        uint64_t lastToggleMs = 0;
        uint32_t periodMs = 0;
    };
    mutable std::mutex lock_;
    std::vector<LedEffect> list_;
    std::vector<Counter> counters_;
};

} // namespace orvel::lighting
