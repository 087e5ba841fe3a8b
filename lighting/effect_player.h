#pragma once
// The player of a user effect list: steps of breathing, static, blink, wave and spectrum, each
// lasting its "Time" in milliseconds, after the last step the first again. An empty list renders
// off. The list and the current index are replaced under a lock while the light loop plays.

#include "lighting/base_renderers.h"
#include "lighting/led_buffer.h"
#include "lighting/settings.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace orvel::lighting {

class EffectPlayer {
public:
    // Replaces the list and restarts at the first step; the step begins at nowMs.
    void Load(std::vector<EffectStep> steps, uint64_t nowMs);
    // One pass (or several skipped passes in which nothing was due, see PassesUntilDue).
    void Pass(LedBuffer& leds, RenderState& s, uint64_t nowMs, uint32_t passes = 1);
    // Passes until the next frame is rendered; 0 when the list is empty (nothing changes).
    uint32_t PassesUntilDue() const;
    // The time after which the current step ends (the first pass later than that moves on).
    uint64_t StepEndsAfterMs() const;
    bool Empty() const;
    std::size_t CurrentIndex() const;

private:
    void Render(const EffectStep& step, LedBuffer& leds, RenderState& s, uint64_t nowMs);
    uint32_t Threshold(const EffectStep& step) const;

    mutable std::mutex lock_;
    std::vector<EffectStep> steps_;
    std::size_t index_ = 0;
    uint32_t ticks_ = 0;
    uint64_t stepBeganMs_ = 0;
};

} // namespace orvel::lighting
