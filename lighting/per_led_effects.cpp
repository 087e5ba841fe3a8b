#include "lighting/per_led_effects.h"

#include "lighting/tables.h"

#include <algorithm>

namespace orvel::lighting {

namespace {
enum : uint8_t { kBreathe = 0, kStatic = 1, kBlink = 2, kSpectrum = 3, kOff = 4 };
}

void PerLedEffects::Load(std::vector<LedEffect> list, uint64_t nowMs)
{
    std::lock_guard guard(lock_);
    list_ = std::move(list);
    counters_.assign(list_.size(), Counter{});
    for (std::size_t i = 0; i < list_.size(); ++i) {
        counters_[i].lastToggleMs = nowMs;
        counters_[i].periodMs = BlinkPeriodMs(list_[i].speed);
    }
}

bool PerLedEffects::Empty() const
{
    std::lock_guard guard(lock_);
    return list_.empty();
}

void PerLedEffects::Apply(LedBuffer& leds, uint64_t nowMs, uint32_t passes)
{
    std::lock_guard guard(lock_);
    const int n = std::min<int>(int(list_.size()), leds.Count());
    for (int i = 0; i < n; ++i) {
        const LedEffect& e = list_[i];
        Counter& c = counters_[i];
        const uint8_t bright = Intensity(e.brightness);
        switch (e.type) {
        case kBreathe: {
            if (!e.present) {
                break;
            }
            const Rgb colour = e.multicolor ? kWheel[c.position] : e.colour;
            for (uint32_t p = 0; p < passes; ++p) {
                c.phase = uint8_t(c.phase + std::min<int>(e.speed, 4) + 4);
                if (c.phase >= 128) {
                    c.phase = 0;
                    c.position = uint8_t(c.position + 1);
                    if (c.position > 192) {
                        c.position = 191;
                    }
                }
            }
            leds.SetLedColor(i, PackLed(colour, Mul8(kBreathing[c.phase], bright)));
            break;
        }
        case kStatic:
            leds.SetLedColor(i, PackLed(e.colour, bright));
            break;
        case kSpectrum:
            if (!e.present) {
                break;
            }
            c.count += passes;
            if (c.count >= FrameThreshold(e.speed)) {
                c.count = 0;
                c.position = c.position >= 191 ? 0 : uint8_t(c.position + 1);
            }
            leds.SetLedColor(i, PackLed(kWheel[c.position], bright));
            break;
        case kBlink:
            if (nowMs >= c.lastToggleMs + c.periodMs) { // a list loaded after nowMs waits its period
                c.on = !c.on;
                c.lastToggleMs = nowMs;
                c.position = uint8_t(c.position + 14);
                if (c.position > 191) {
                    c.position = 0;
                }
            }
            leds.SetLedColor(i, c.on ? PackLed(e.multicolor ? kWheel[c.position] : e.colour, bright) : 0);
            break;
        case kOff:
            leds.SetLedColor(i, 0);
            break;
        default:
            break;
        }
    }
}

std::optional<uint32_t> PerLedEffects::PassesUntilDue() const
{
    std::lock_guard guard(lock_);
    std::optional<uint32_t> due;
    for (std::size_t i = 0; i < list_.size(); ++i) {
        const LedEffect& e = list_[i];
        if (!e.present) {
            continue;
        }
        uint32_t n = 0;
        if (e.type == kBreathe) {
            n = 1;
        } else if (e.type == kSpectrum) {
            const uint32_t t = FrameThreshold(e.speed);
            n = counters_[i].count >= t ? 1 : t - counters_[i].count;
        } else {
            continue;
        }
        due = due ? std::min(*due, n) : n;
    }
    return due;
}

std::optional<uint64_t> PerLedEffects::NextBlinkMs() const
{
    std::lock_guard guard(lock_);
    std::optional<uint64_t> next;
    for (std::size_t i = 0; i < list_.size(); ++i) {
        if (list_[i].type == kBlink) {
            const uint64_t t = counters_[i].lastToggleMs + counters_[i].periodMs;
            next = next ? std::min(*next, t) : t;
        }
    }
    return next;
}

} // namespace orvel::lighting
