#include "lighting/device_lighting.h"

#include "lighting/tables.h"

namespace orvel::lighting {

namespace {
// The mouse counts every change of the millisecond clock and wakes every millisecond; the pad and
// the headset sleep a millisecond more in each pass, so a pass and a step last 2 ms.
constexpr LoopTiming kMouseTiming{1, 1, 100};
constexpr LoopTiming kRingTiming{2, 2, 100};
} // namespace

DeviceLighting::DeviceLighting(int ledCount, LoopTiming timing) : leds_(ledCount), timing_(timing) {}

void DeviceLighting::SetSettings(const LightSettings& settings)
{
    {
        std::lock_guard guard(lock_);
        const bool restart = !started_ || settings.mode != settings_.mode || RestartsWhenSetAgain(settings.mode);
        settings_ = settings;
        started_ = true;
        if (restart) {
            StartEffect(settings.mode);
        }
    }
    NotifyChanged();
}

void DeviceLighting::StartEffect(int) { state_ = RenderState{}; }

LightSettings DeviceLighting::Settings() const
{
    std::lock_guard guard(lock_);
    return settings_;
}

void DeviceLighting::SetLinkOpen(bool open)
{
    flags_.linkOpen.store(open, std::memory_order_relaxed);
    NotifyChanged();
}

void DeviceLighting::SetSync(bool follows)
{
    flags_.sync.store(follows, std::memory_order_relaxed);
    NotifyChanged();
}

void DeviceLighting::LoadPerLed(std::vector<LedEffect> list, uint64_t nowMs)
{
    perLed_.Load(std::move(list), nowMs);
    NotifyChanged();
}

void DeviceLighting::LoadEffects(std::vector<EffectStep> steps, uint64_t nowMs)
{
    player_.Load(std::move(steps), nowMs);
    NotifyChanged();
}

Schedule DeviceLighting::CurrentSchedule()
{
    std::lock_guard guard(lock_);
    if (!HasRenderer(settings_.mode)) {
        return Schedule{Schedule::Kind::Player, 0, Schedule::kAlwaysChanges};
    }
    return Schedule{Schedule::Kind::Ticks, FrameThreshold(settings_.speed), SameUntilMs(settings_)};
}

uint64_t DeviceLighting::NextBlinkToggleMs(const LightSettings& l) const
{
    return state_.lastBlinkMs + BlinkPeriodMs(l.speed);
}

void DeviceLighting::RenderFrame(uint64_t nowMs)
{
    std::lock_guard guard(lock_);
    Render(settings_, nowMs);
}

void DeviceLighting::PlayerPass(uint64_t nowMs, uint32_t passes)
{
    std::lock_guard guard(lock_);
    player_.Pass(leds_, state_, nowMs, passes);
}

MouseLighting::MouseLighting(int ledCount, uint32_t seed) : DeviceLighting(ledCount, kMouseTiming), random_(seed) {}

void MouseLighting::StartEffect(int mode)
{
    DeviceLighting::StartEffect(mode);
    fade_.Reset();
}

uint64_t MouseLighting::SameUntilMs(const LightSettings& l) const
{
    switch (l.mode) {
    case 3: // static
    case 9: // off
        return Schedule::kNeverChanges;
    case 4: // blink
    case 8: // four-colour blink
        return NextBlinkToggleMs(l);
    default:
        return Schedule::kAlwaysChanges;
    }
}

void MouseLighting::KeyPressed()
{
    std::lock_guard guard(lock_);
    if (settings_.mode == 6) {
        fade_.Trigger(random_);
    } else if (settings_.mode == 5) {
        TriggerMouseRing(state_, settings_);
    }
}

void MouseLighting::Render(const LightSettings& l, uint64_t nowMs)
{
    switch (l.mode) {
    case 0: RenderMouseWave(leds_, state_, l); break;
    case 1: RenderSpectrum(leds_, state_, l); break;
    case 2: RenderBreathing(leds_, state_, l); break;
    case 3: RenderStatic(leds_, state_, l); break;
    case 4: RenderBlink(leds_, state_, l, nowMs); break;
    case 5: RenderRotatingTrigger(leds_, state_, l); break;
    case 6: fade_.Render(leds_, l); break;
    case 7: RenderBreathing4(leds_, state_, l); break;
    case 8: RenderBlink4(leds_, state_, l, nowMs); break;
    default: RenderOff(leds_); break;
    }
}

RingLighting::RingLighting(Kind kind)
    : DeviceLighting(kind == Kind::Headset ? kHeadsetLeds : kPadLeds, kRingTiming), kind_(kind)
{
}

uint64_t RingLighting::SameUntilMs(const LightSettings& l) const
{
    switch (l.mode) {
    case 3: // static
    case 8: // off
        return Schedule::kNeverChanges;
    case 4: // blink
        return NextBlinkToggleMs(l);
    default:
        return Schedule::kAlwaysChanges;
    }
}

void RingLighting::StartEffect(int mode)
{
    DeviceLighting::StartEffect(mode);
    cometFrames_ = 0;
}

void RingLighting::Render(const LightSettings& l, uint64_t nowMs)
{
    switch (l.mode) {
    case 0:
        if (kind_ == Kind::Headset) {
            RenderHeadsetWave(leds_, state_, l);
        } else {
            RenderPadWave(leds_, state_, l);
        }
        break;
    case 1: RenderSpectrum(leds_, state_, l); break;
    case 2: RenderBreathing(leds_, state_, l); break;
    case 3: RenderStatic(leds_, state_, l); break;
    case 4: RenderBlink(leds_, state_, l, nowMs); break;
    case 6: RenderComet(leds_, state_, l, cometFrames_); break;
    case 7: RenderMirroredComet(leds_, state_, l, cometFrames_); break;
    default: RenderOff(leds_); break;
    }
}

} // namespace orvel::lighting
