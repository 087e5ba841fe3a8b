#pragma once
// What the loop and scheduler tests share: a light source that records what the loop asks of it,
// the reference that renders at every threshold tick whether or not the frame changes, and a
// buffer's entries.

#include "lighting/led_buffer.h"
#include "lighting/light_loop.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace orvel::lighting::testing {

inline std::vector<uint32_t> Entries(const LedBuffer& b)
{
    std::vector<uint32_t> v;
    for (int i = 0; i < b.Count(); ++i) {
        v.push_back(b.GetLedColor(i));
    }
    return v;
}

// Records when the loop renders, plays and applies the per-LED effects.
class RecordingSource : public LightSource {
public:
    bool link = true;
    bool sync = false;
    Schedule schedule;
    std::optional<uint32_t> perLedDue;
    std::vector<uint64_t> frames;
    std::vector<uint64_t> playerPasses; // one entry per pass, with its time
    uint64_t perLedPasses = 0;

    bool LinkOpen() const override { return link; }
    bool SyncFlag() const override { return sync; }
    Schedule CurrentSchedule() override { return schedule; }
    void RenderFrame(uint64_t nowMs) override { frames.push_back(nowMs); }
    void PlayerPass(uint64_t nowMs, uint32_t passes) override
    {
        for (uint32_t i = 0; i < passes; ++i) playerPasses.push_back(nowMs);
    }
    uint32_t PlayerPassesUntilDue() override { return 7; }
    uint64_t PlayerStepEndsAfterMs() override { return UINT64_MAX; }
    void ApplyPerLed(uint64_t, uint32_t passes) override { perLedPasses += passes; }
    std::optional<uint32_t> PerLedPassesUntilDue() override { return perLedDue; }
    std::optional<uint64_t> PerLedNextBlinkMs() override { return std::nullopt; }
};

// The reference: the source as a loop that wakes every millisecond and renders at every
// threshold tick, whether or not the frame changes.
class RenderEveryFrame : public LightSource {
public:
    explicit RenderEveryFrame(LightSource& source) : d_(source) {}
    bool LinkOpen() const override { return d_.LinkOpen(); }
    bool SyncFlag() const override { return d_.SyncFlag(); }
    Schedule CurrentSchedule() override
    {
        Schedule s = d_.CurrentSchedule();
        s.sameUntilMs = Schedule::kAlwaysChanges;
        return s;
    }
    void RenderFrame(uint64_t nowMs) override { d_.RenderFrame(nowMs); }
    void PlayerPass(uint64_t nowMs, uint32_t passes) override { d_.PlayerPass(nowMs, passes); }
    uint32_t PlayerPassesUntilDue() override { return d_.PlayerPassesUntilDue(); }
    uint64_t PlayerStepEndsAfterMs() override { return d_.PlayerStepEndsAfterMs(); }
    void ApplyPerLed(uint64_t nowMs, uint32_t passes) override { d_.ApplyPerLed(nowMs, passes); }
    std::optional<uint32_t> PerLedPassesUntilDue() override { return d_.PerLedPassesUntilDue(); }
    std::optional<uint64_t> PerLedNextBlinkMs() override { return d_.PerLedNextBlinkMs(); }

private:
    LightSource& d_;
};

} // namespace orvel::lighting::testing
