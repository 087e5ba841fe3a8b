#include "devices/kind_models.h"

#include "devicelink/hid_adapters.h"
#include "devices/link_frame_sink.h"
#include "lighting/colour.h"

#include <array>
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

// The per-LED list and the user effect's steps into the light loop, both restarted.
void TakeLists(lighting::DeviceLighting& lighting, const LightLists& lists)
{
    std::vector<lighting::LedEffect> perLed;
    for (const profiles::LightListEntry& entry : lists.perLed)
        perLed.push_back(ToLedEffect(entry.effect, entry.present != 0));
    std::vector<lighting::EffectStep> steps;
    for (const profiles::LightEffectStep& step : lists.effects) {
        const lighting::LedEffect e = ToLedEffect(step.effect, true);
        steps.push_back(lighting::EffectStep{e.type, e.brightness, e.speed, e.direction, e.multicolor, e.colour,
                                             step.time, step.cyle});
    }
    const uint64_t now = NowMs();
    lighting.LoadPerLed(std::move(perLed), now);
    lighting.LoadEffects(std::move(steps), now);
}

// The lists restart only when they differ from those taken last.
void TakeChangedLists(lighting::DeviceLighting& lighting, LightLists& taken, const LightLists& lists)
{
    if (lists.perLed == taken.perLed && lists.effects == taken.effects)
        return;
    taken = lists;
    TakeLists(lighting, taken);
}

lighting::AudioLightSettings AudioSettingsOf(const profiles::AudioLightRecord& r)
{
    return {r.audioMode, {r.bkColorR, r.bkColorG, r.bkColorB}, {r.fgColorR, r.fgColorG, r.fgColorB},
            r.sevenColorFlags != 0};
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
    TakeChangedLists(lighting_, lists_, core_.Lists());
}

SequenceResult MouseModel::SwitchProfile()
{
    return Perform([this] { return core_.SwitchProfile(); });
}

SequenceResult MouseModel::RestoreDefaults()
{
    return Perform([this] { return core_.RestoreDefaults(); });
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
    if (core_.TakeLightRestart() || !SameSettings(lighting_.Settings(), settings)) {
        lighting_.LoadProfileState(settings);
        // Mode 19 starts with the colours of its group.
        if (settings.mode == kCustomColourMode)
            CustomColours([this](lighting::LedBuffer& leds) {
                SequenceResult result;
                result.Take(core_.LoadCustomGroup(leds, core_.RestartGroup()) == 0 ? kLinkOk : kLinkNoAnswer);
                return result;
            });
    }
    lighting_.SetAudioSettings(AudioSettingsOf(core_.AudioLight()));
    TakeChangedLists(lighting_, lists_, core_.Lists());
}

void KeyboardModel::BeforeResync()
{
    if (!KeyboardCore::ProfileChangedOnDevice())
        return;
    if (Profiles().InitProfiles().ok())
        core_.SetProfileIdentifier(Profiles().GetSelectedIdentifier());
}

SequenceResult KeyboardModel::SwitchProfile()
{
    return Perform([this] { return core_.SwitchProfile(lighting_.Leds()); });
}

SequenceResult KeyboardModel::RestoreDefaults()
{
    return Perform([this] { return core_.RestoreDefaults(); });
}

SequenceResult KeyboardModel::CustomColours(const std::function<SequenceResult(lighting::LedBuffer&)>& operation)
{
    SequenceResult result = operation(lighting_.Leds());
    std::array<lighting::Rgb, lighting::KeyboardLighting::kPositions> colours;
    for (int p = 0; p < lighting::KeyboardLighting::kPositions; ++p)
        colours[static_cast<std::size_t>(p)] = lighting::ColourOf(lighting_.Leds().GetLedColor(p));
    lighting_.SetCustomColours(colours);
    return result;
}

SequenceResult KeyboardModel::SetCustomGroup(int group)
{
    return Perform([&] { return CustomColours([&](lighting::LedBuffer& leds) { return core_.SetCustomGroup(group, leds); }); });
}

SequenceResult KeyboardModel::FillCustomColours(bool on)
{
    return Perform([&] { return CustomColours([&](lighting::LedBuffer& leds) { return core_.FillCustomColours(on, leds); }); });
}

SequenceResult KeyboardModel::PaintCustomPosition(int position)
{
    return Perform(
        [&] { return CustomColours([&](lighting::LedBuffer& leds) { return core_.PaintCustomPosition(position, leds); }); });
}

SequenceResult KeyboardModel::SetAudioLight(const profiles::AudioLightRecord& record)
{
    return Perform([&] { return core_.SetAudioLight(record); });
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
    TakeLists(lighting_, ring_->Lists());
}

SequenceResult RingModel::SwitchProfile()
{
    return Perform([this] { return ring_->SwitchProfile(); });
}

SequenceResult RingModel::RestoreDefaults()
{
    return Perform([this] { return ring_->RestoreDefaults(); });
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
