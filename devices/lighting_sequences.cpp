#include "devices/lighting_sequences.h"

#include "devices/kind_models.h"

namespace orvel::devices {

SequenceResult ChangeModelLighting(DeviceModel& model, const profiles::LightRecord& record)
{
    auto hold = model.HoldOutput();
    const SequenceResult result = model.Core().ChangeLighting(record);
    model.LightingChanged();
    return result;
}

SequenceResult SelectCustomGroup(DeviceModel& model, int group)
{
    auto* keyboard = dynamic_cast<KeyboardModel*>(&model);
    if (keyboard == nullptr || group < 0 || group >= kCustomGroupLimit)
        return {};
    auto hold = model.HoldOutput();
    KeyboardCore& core = keyboard->Keyboard();
    profiles::LightRecord record = core.CurrentLight();
    record.customGroup = static_cast<std::uint8_t>(group);
    core.Profile().SetCustomGroupIndex(group);
    SequenceResult result = core.ChangeLighting(record);
    if (result.status == kLinkOk)
        result.Take(core.LoadCustomGroup(keyboard->Lighting().Leds()) == 0 ? kLinkOk : kLinkNoAnswer);
    model.LightingChanged();
    return result;
}

SequenceResult StoreAudioLight(DeviceModel& model, const profiles::AudioLightRecord& record)
{
    auto* keyboard = dynamic_cast<KeyboardModel*>(&model);
    if (keyboard == nullptr)
        return {};
    auto hold = model.HoldOutput();
    KeyboardCore& core = keyboard->Keyboard();
    core.Profile().SetAudioLightInfo(record);
    SequenceResult result;
    result.TakeSave(core.Profile().Save());
    core.LoadProfileState();
    model.LightingChanged();
    return result;
}

std::optional<profiles::AudioLightRecord> StoredAudioLight(DeviceModel& model)
{
    if (auto* keyboard = dynamic_cast<KeyboardModel*>(&model))
        return keyboard->Keyboard().AudioLight();
    return std::nullopt;
}

LightLists LoadModelLightLists(DeviceModel& model, const LightLists& previous)
{
    const DeviceCore& core = model.Core();
    return LoadLightLists(core.Folders().defaultData, core.Folders().LightConfig(), core.ListKind(), previous);
}

} // namespace orvel::devices
