#pragma once
// The lighting of one device as its light loop drives it: the LED colour buffer, the record in
// use, the render state, the per-LED effects and the effect list. The mouse, the mouse pad and
// the headset are here; the keyboard is in keyboard_lighting.h.

#include "lighting/base_renderers.h"
#include "lighting/device_effects.h"
#include "lighting/effect_player.h"
#include "lighting/led_buffer.h"
#include "lighting/light_loop.h"
#include "lighting/per_led_effects.h"
#include "lighting/random.h"
#include "lighting/settings.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace orvel::lighting {

// The command link is open; the device follows the synchronised lighting. Changed only through
// DeviceLighting::SetLinkOpen and SetSync, which wake the light loop.
struct DeviceFlags {
    std::atomic<bool> linkOpen{false};
    std::atomic<bool> sync{false};
};

class DeviceLighting : public LightSource {
public:
    DeviceLighting(int ledCount, LoopTiming timing);

    LedBuffer& Leds() { return leds_; }
    const DeviceFlags& Flags() const { return flags_; }
    // Set by the device layer; the light loop looks again at once.
    void SetLinkOpen(bool open);
    void SetSync(bool follows);
    LoopTiming Timing() const { return timing_; }

    // The record in use; the first record and a new mode index start the effect afresh.
    void SetSettings(const LightSettings& settings);
    LightSettings Settings() const;
    void LoadPerLed(std::vector<LedEffect> list, uint64_t nowMs);
    void LoadEffects(std::vector<EffectStep> steps, uint64_t nowMs);

    bool LinkOpen() const override { return flags_.linkOpen.load(std::memory_order_relaxed); }
    bool SyncFlag() const override { return flags_.sync.load(std::memory_order_relaxed); }
    Schedule CurrentSchedule() override;
    void RenderFrame(uint64_t nowMs) override;
    void PlayerPass(uint64_t nowMs, uint32_t passes) override;
    uint32_t PlayerPassesUntilDue() override { return player_.PassesUntilDue(); }
    uint64_t PlayerStepEndsAfterMs() override { return player_.StepEndsAfterMs(); }
    void ApplyPerLed(uint64_t nowMs, uint32_t passes) override { perLed_.Apply(leds_, nowMs, passes); }
    std::optional<uint32_t> PerLedPassesUntilDue() override { return perLed_.PassesUntilDue(); }
    std::optional<uint64_t> PerLedNextBlinkMs() override { return perLed_.NextBlinkMs(); }

protected:
    // Whether the mode index has a renderer of its own (else the effect list plays).
    virtual bool HasRenderer(int mode) const = 0;
    // One frame of the mode; called with lock_ held.
    virtual void Render(const LightSettings& l, uint64_t nowMs) = 0;
    // Until when the mode's frame stays the same (Schedule::sameUntilMs); called with lock_ held.
    virtual uint64_t SameUntilMs(const LightSettings& /*l*/) const { return Schedule::kAlwaysChanges; }
    // For the blinking modes: the next toggle.
    uint64_t NextBlinkToggleMs(const LightSettings& l) const;
    // Whether setting this mode again starts it afresh.
    virtual bool RestartsWhenSetAgain(int /*mode*/) const { return false; }
    // Starts the mode afresh; called with lock_ held. The shared render state is cleared here.
    virtual void StartEffect(int mode);

    LedBuffer leds_;
    RenderState state_;
    mutable std::mutex lock_; // the record and everything the renderers keep
    LightSettings settings_;

private:
    LoopTiming timing_;
    DeviceFlags flags_;
    bool started_ = false;
    PerLedEffects perLed_;
    EffectPlayer player_;
};

// Mouse: 0 wave, 1 spectrum, 2 breathing, 3 static, 4 blink, 5 rotating trigger, 6 key-press
// fade, 7 four-colour breathing, 8 four-colour blink, 9 off, others the effect list.
class MouseLighting : public DeviceLighting {
public:
    static constexpr int kLeds = 15;
    explicit MouseLighting(int ledCount = kLeds, uint32_t seed = 1);
    // The mouse's key-press notification: starts the key-press fade (mode 6) or puts a marker on
    // the rotating trigger's ring (mode 5).
    void KeyPressed();

protected:
    bool HasRenderer(int mode) const override { return mode >= 0 && mode <= 9; }
    uint64_t SameUntilMs(const LightSettings& l) const override;
    void Render(const LightSettings& l, uint64_t nowMs) override;
    void StartEffect(int mode) override;

private:
    KeyPressFade fade_;
    Random random_;
};

// Mouse pad and headset: 0 wave, 1 spectrum, 2 breathing, 3 static, 4 blink, 6 comet, 7 mirrored
// comet, 8 off; 5 and above 8 the effect list.
class RingLighting : public DeviceLighting {
public:
    enum class Kind { MousePad, Headset };
    static constexpr int kPadLeds = 15;
    static constexpr int kHeadsetLeds = 13;
    explicit RingLighting(Kind kind);

protected:
    bool HasRenderer(int mode) const override { return mode >= 0 && mode <= 8 && mode != 5; }
    uint64_t SameUntilMs(const LightSettings& l) const override;
    void Render(const LightSettings& l, uint64_t nowMs) override;
    void StartEffect(int mode) override;

private:
    Kind kind_;
    uint32_t cometFrames_ = 0;
};

} // namespace orvel::lighting
