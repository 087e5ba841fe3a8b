#include "devices/kind_models.h"

#include "devicelink/hid_adapters.h"
#include "devices/link_frame_sink.h"
#include <chrono>

namespace orvel::devices {
namespace {

bool SameSettings(const lighting::LightSettings& a, const lighting::LightSettings& b)
{
    return a.mode == b.mode && a.brightness == b.brightness && a.speed == b.speed && a.direction == b.direction &&
           a.multicolor == b.multicolor && a.colour == b.colour && a.fx == b.fx;
}

// A new record goes to the loop; the same one again leaves the running effect alone.
void TakeSettings(lighting::DeviceLighting& lighting, const lighting::LightSettings& settings, bool restart)
{
    if (restart || !SameSettings(lighting.Settings(), settings))
        lighting.SetSettings(settings);
}

lighting::LedEffect ToLedEffect(const profiles::LedEffect& e, bool present)
{
    lighting::LedEffect out;
    out.type = e.mode;
    out.brightness = e.brightness;
    out.speed = e.speed;
    out.direction = e.direction != 0;
    out.multicolor = e.multiColor != 0;
    out.colour = {e.red, e.green, e.blue};
    out.present = present;
    return out;
}

// The light scheduler's clock (SteadyWaiter): milliseconds of the steady clock.
uint64_t NowMs()
{
    using namespace std::chrono;
    return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

} // namespace

MouseModel::MouseModel(int kindRow, PostNotification post)
    : DeviceModel(kindRow, std::move(post)), core_(CommandLink(), FoldersOfKindRow(kindRow)),
      lighting_(PageRow().ledCount)
{
}

void MouseModel::TakeLightingState()
{
    TakeSettings(lighting_, LightSettingsOf(core_.Light()), false);
}

// Through the receiver only the preview is refreshed.
bool MouseModel::TakesFrames() const
{
    return core_.HostLightControl() && !ViaReceiver();
}

int MouseModel::SendFrame()
{
    LinkFrameSink sink(CommandLink());
    return lighting::SendBaseFrame(lighting_.Leds(), core_.HostLightControl(), ViaReceiver(), sink);
}

KeyboardModel::KeyboardModel(int kindRow, PostNotification post)
    : DeviceModel(kindRow, std::move(post)), core_(CommandLink(), FoldersOfKindRow(kindRow))
{
}

void KeyboardModel::TakeLightingState()
{
    const lighting::LightSettings settings = LightSettingsOf(core_.Light());
    if (core_.TakeLightRestart() || !SameSettings(lighting_.Settings(), settings))
        lighting_.LoadProfileState(settings);
}

// The keyboard animates most modes itself; it takes the program's frames, by cable, in the two
// it cannot.
bool KeyboardModel::TakesFrames() const
{
    return core_.HostLightControl() && !ViaReceiver() && core_.TablesRead() &&
           lighting::KeyboardLighting::StreamsFrames(core_.Settings().mode);
}

int KeyboardModel::SendFrame()
{
    return core_.SendLightFrame(lighting_.Leds());
}

RingModel::RingModel(int kindRow, PostNotification post, lighting::RingLighting::Kind kind)
    : DeviceModel(kindRow, std::move(post)), lighting_(kind)
{
}

void RingModel::UseCore(CRingDeviceCore& core)
{
    ring_ = &core;
    core.onLightingState = [this](const CRingDeviceCore&) { TakeLightingState(); };
}

void RingModel::TakeLightingState()
{
    TakeSettings(lighting_, ring_->LightThreadSettings(), false);
    std::vector<lighting::LedEffect> perLed;
    for (const profiles::LightListEntry& entry : ring_->LightList())
        perLed.push_back(ToLedEffect(entry.effect, entry.present != 0));
    std::vector<lighting::EffectStep> steps;
    for (const profiles::LightEffectStep& step : ring_->Effects()) {
        const lighting::LedEffect e = ToLedEffect(step.effect, true);
        steps.push_back(lighting::EffectStep{e.type, e.brightness, e.speed, e.direction, e.multicolor, e.colour,
                                             step.time, step.cyle});
    }
    const uint64_t now = NowMs();
    lighting_.LoadPerLed(std::move(perLed), now);
    lighting_.LoadEffects(std::move(steps), now);
}

MousePadModel::MousePadModel(int kindRow, PostNotification post)
    : RingModel(kindRow, std::move(post), lighting::RingLighting::Kind::MousePad),
      core_(CommandLink(), FoldersOfKindRow(kindRow))
{
    UseCore(core_);
}

int MousePadModel::SendFrame()
{
    LinkFrameSink sink(CommandLink());
    return lighting::SendBaseFrame(lighting_.Leds(), core_.HostLightControl(), ViaReceiver(), sink);
}

HeadsetModel::HeadsetModel(int kindRow, PostNotification post)
    : RingModel(kindRow, std::move(post), lighting::RingLighting::Kind::Headset),
      core_(CommandLink(), FoldersOfKindRow(kindRow))
{
    UseCore(core_);
}

int HeadsetModel::SendFrame()
{
    if (!LinkOpen())
        return 0;
    HidOutputReports sink(static_cast<CHidPort&>(*CommandLink().primaryHid).Device());
    core_.SendLightFrame(lighting_.Leds(), core_.HostLightControl(), sink);
    return 0;
}

} // namespace orvel::devices
