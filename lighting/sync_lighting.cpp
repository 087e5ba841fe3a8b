#include "lighting/sync_lighting.h"

#include "lighting/device_lighting.h"
#include "lighting/tables.h"

#include <algorithm>
#include <array>

namespace orvel::lighting {

namespace {
// Mode index per kind (keyboard, mouse, mouse pad, headset) of each common code.
constexpr std::array<std::array<int, 4>, 5> kModeOfCode = {{
    {5, 2, 2, 2},    // breathing
    {6, 3, 3, 3},    // static
    {23, 4, 4, 4},   // blink
    {4, 1, 1, 1},    // spectrum cycle
    {28, 9, 8, 8},   // off
}};
} // namespace

std::optional<DeviceKind> KindOfNumber(int kindNumber)
{
    switch (kindNumber) {
    case 1:
    case 9: return DeviceKind::Keyboard;
    case 2:
    case 6: return DeviceKind::Mouse;
    case 3: return DeviceKind::MousePad;
    case 4:
    case 7: return DeviceKind::Headset;
    default: return std::nullopt;
    }
}

std::optional<int> CommonCodeOf(DeviceKind kind, int modeIndex)
{
    for (int code = 0; code < int(kModeOfCode.size()); ++code) {
        if (kModeOfCode[code][int(kind)] == modeIndex) {
            return code;
        }
    }
    return std::nullopt;
}

std::optional<int> ModeIndexOf(DeviceKind kind, int commonCode)
{
    if (commonCode < 0 || commonCode >= int(kModeOfCode.size())) {
        return std::nullopt;
    }
    return kModeOfCode[commonCode][int(kind)];
}

void SyncRenderer::Start(const SyncEffect& effect)
{
    effect_ = effect;
    phase_ = 0;
    position_ = 0;
    on_ = false;
    lastToggleMs_ = 0;
}

uint32_t SyncRenderer::Frame(uint64_t nowMs)
{
    const LightSettings& l = effect_.settings;
    const uint8_t bright = Intensity(l.brightness);
    switch (effect_.code) {
    case kSyncBreathing:
        phase_ = Step(l.direction, 128, phase_, 1);
        if (l.multicolor && phase_ < 2) {
            position_ = Step(true, 192, position_, 16);
        }
        return PackLed(l.multicolor ? kWheel[position_] : l.colour, Mul8(bright, kBreathing[phase_]));
    case kSyncStatic:
        return PackLed(l.colour, bright);
    case kSyncBlink:
        if (nowMs - lastToggleMs_ >= BlinkPeriodMs(l.speed)) {
            on_ = !on_;
            lastToggleMs_ = nowMs;
            position_ = uint8_t(position_ + 14);
            if (position_ >= 192) {
                position_ = 0;
            }
        }
        return on_ ? PackLed(l.multicolor ? kWheel[position_] : l.colour, bright) : 0;
    case kSyncSpectrum:
        position_ = Step(l.direction, 192, position_, 1);
        return PackLed(kWheel[position_], bright);
    default:
        return 0;
    }
}

uint64_t SyncRenderer::SameUntilMs() const
{
    switch (effect_.code) {
    case kSyncBreathing:
    case kSyncSpectrum: return Schedule::kAlwaysChanges;
    case kSyncBlink: return lastToggleMs_ + BlinkPeriodMs(effect_.settings.speed);
    default: return Schedule::kNeverChanges;
    }
}

void SyncLighting::AddDevice(LedBuffer& leds, const DeviceFlags& flags)
{
    std::lock_guard guard(lock_);
    targets_.push_back({&leds, &flags});
}

void SyncLighting::Start(const SyncEffect& effect)
{
    {
        std::lock_guard guard(lock_);
        renderer_.Start(effect);
    }
    NotifyChanged(); // the first frame need not wait for the idle second to pass
}

SyncEffect SyncLighting::Effect() const
{
    std::lock_guard guard(lock_);
    return renderer_.Effect();
}

bool SyncLighting::LinkOpen() const
{
    std::lock_guard guard(lock_);
    return std::any_of(targets_.begin(), targets_.end(), [](const Target& t) {
        return t.flags->linkOpen.load(std::memory_order_relaxed) && t.flags->sync.load(std::memory_order_relaxed);
    });
}

uint64_t SyncLighting::FollowersLocked() const
{
    uint64_t mask = 0;
    for (std::size_t i = 0; i < targets_.size() && i < 64; ++i) {
        if (targets_[i].flags->sync.load(std::memory_order_relaxed)) mask |= uint64_t(1) << i;
    }
    return mask;
}

Schedule SyncLighting::CurrentSchedule()
{
    std::lock_guard guard(lock_);
    uint64_t same = renderer_.SameUntilMs();
    if (FollowersLocked() != renderedFollowers_) {
        same = Schedule::kAlwaysChanges; // a device joined: it needs the frame too
    } else if (same == Schedule::kNeverChanges) {
        same = lastFrameMs_ + kLookForFollowersMs;
    }
    return Schedule{Schedule::Kind::Ticks, FrameThreshold(renderer_.Effect().settings.speed), same};
}

void SyncLighting::RenderFrame(uint64_t nowMs)
{
    std::lock_guard guard(lock_);
    const uint32_t colour = renderer_.Frame(nowMs);
    renderedFollowers_ = FollowersLocked();
    lastFrameMs_ = nowMs;
    for (const Target& t : targets_) {
        if (t.flags->sync.load(std::memory_order_relaxed)) {
            t.leds->Fill(colour);
        }
    }
}

} // namespace orvel::lighting
