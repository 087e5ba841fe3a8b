#include "lighting/effect_player.h"

#include "lighting/tables.h"

namespace orvel::lighting {

namespace {
enum : uint8_t { kBreathe = 0, kStatic = 1, kBlink = 2, kNone = 3, kWave = 4, kSpectrum = 5 };

LightSettings SettingsOf(const EffectStep& step)
{
    LightSettings l;
    l.brightness = step.brightness;
    l.speed = step.speed;
    l.direction = step.direction;
    l.multicolor = step.multicolor;
    l.colour = step.colour;
    return l;
}
} // namespace

void EffectPlayer::Load(std::vector<EffectStep> steps, uint64_t nowMs)
{
    std::lock_guard guard(lock_);
    steps_ = std::move(steps);
    index_ = 0;
    ticks_ = 0;
    stepBeganMs_ = nowMs;
}

bool EffectPlayer::Empty() const
{
    std::lock_guard guard(lock_);
    return steps_.empty();
}

std::size_t EffectPlayer::CurrentIndex() const
{
    std::lock_guard guard(lock_);
    return index_;
}

uint32_t EffectPlayer::Threshold(const EffectStep& step) const
{
    return step.type == kSpectrum ? SpectrumStepThreshold(step.speed) : FrameThreshold(step.speed);
}

uint32_t EffectPlayer::PassesUntilDue() const
{
    std::lock_guard guard(lock_);
    if (steps_.empty()) {
        return 0;
    }
    const EffectStep& step = steps_[index_ < steps_.size() ? index_ : 0];
    const uint32_t t = Threshold(step);
    return ticks_ + 1 >= t ? 1 : t - ticks_;
}

uint64_t EffectPlayer::StepEndsAfterMs() const
{
    std::lock_guard guard(lock_);
    if (steps_.empty()) {
        return UINT64_MAX;
    }
    const EffectStep& step = steps_[index_ < steps_.size() ? index_ : 0];
    return stepBeganMs_ + uint64_t(step.timeMs < 0 ? 0 : step.timeMs);
}

void EffectPlayer::Pass(LedBuffer& leds, RenderState& s, uint64_t nowMs, uint32_t passes)
{
    std::lock_guard guard(lock_);
    if (steps_.empty()) {
        RenderOff(leds);
        return;
    }
    if (index_ >= steps_.size()) {
        index_ = 0;
    }
    const EffectStep& step = steps_[index_];
    ticks_ += passes;
    if (ticks_ >= Threshold(step)) {
        ticks_ = 0;
        Render(step, leds, s, nowMs);
    }
    if (step.timeMs < 0 || nowMs > stepBeganMs_ + uint64_t(step.timeMs)) { // a list loaded after nowMs: not yet
        index_ = index_ + 1 < steps_.size() ? index_ + 1 : 0;
        stepBeganMs_ = nowMs;
    }
}

void EffectPlayer::Render(const EffectStep& step, LedBuffer& leds, RenderState& s, uint64_t nowMs)
{
    const uint8_t bright = Intensity(step.brightness);
    switch (step.type) {
    case kBreathe: {
        s.phase = uint8_t((s.phase + 1) % 128);
        if (s.phase == 0) {
            s.position = uint8_t(s.position + 16);
            if (s.position >= 192) {
                s.position = 0;
            }
        }
        const Rgb colour = step.multicolor ? kWheel[s.position] : step.colour;
        leds.Fill(PackLed(colour, Mul8(kBreathing[s.phase], bright)));
        break;
    }
    case kStatic:
        leds.Fill(PackLed(step.colour, bright));
        break;
    case kBlink:
        RenderBlink(leds, s, SettingsOf(step), nowMs);
        break;
    case kWave: {
        s.phase = step.direction ? Step(false, 192, s.phase, 1) : uint8_t((s.phase + 1) % 192);
        for (int j = 0; j < leds.Count(); ++j) {
            if (step.multicolor) {
                leds.SetLedColor(j, PackLed(kWheel[(s.phase + 1 + 12 * j) % 192], bright));
            } else {
                leds.SetLedColor(j, PackLed(step.colour, Mul8(bright, kCurve96[(s.phase + 12 * (j + 1)) % 96])));
            }
        }
        break;
    }
    case kSpectrum:
        s.phase = uint8_t((s.phase + 1) % 192);
        leds.Fill(PackLed(kWheel[s.phase], bright));
        break;
    case kNone:
    default:
        break;
    }
}

} // namespace orvel::lighting
