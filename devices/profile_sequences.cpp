#include "devices/profile_sequences.h"

#include "devices/image_write.h"
#include "devices/kind_models.h"

namespace orvel::devices {

SequenceResult ResetKeyboardProfile(KeyboardCore& keyboard, lighting::LedBuffer& leds)
{
    SequenceResult result;
    result.TakeLoad(keyboard.LoadProfile() == kLinkOk);
    if (result.status != kLinkOk)
        return result;
    result.Take(keyboard.WriteSettings());
    if (result.status != kLinkOk)
        return result;
    TakeMacroWrite(result, keyboard.WriteMacros(keyboard.GetMacroList()), keyboard.DeviceInfo()[6]);
    keyboard.LoadCustomGroup(leds);
    result.Take(keyboard.WriteCurrentKeys(0));
    return result;
}

SequenceResult SwitchModelProfile(DeviceModel& model, const std::string& identifier)
{
    auto hold = model.HoldOutput();
    model.Core().SetProfileIdentifier(identifier);
    SequenceResult result;
    if (auto* mouse = dynamic_cast<MouseModel*>(&model))
        result = mouse->Mouse().SwitchProfile();
    else if (auto* keyboard = dynamic_cast<KeyboardModel*>(&model))
        result = keyboard->Keyboard().SwitchProfile(keyboard->Lighting().Leds());
    else if (auto* ring = dynamic_cast<RingModel*>(&model))
        result = ring->Ring().SwitchProfile();
    model.LightingChanged();
    return result;
}

SequenceResult ResetModelProfile(DeviceModel& model)
{
    auto hold = model.HoldOutput();
    SequenceResult result;
    if (auto* mouse = dynamic_cast<MouseModel*>(&model))
        result = mouse->Mouse().SwitchProfile(); // the same steps, stopping where a switch stops
    else if (auto* keyboard = dynamic_cast<KeyboardModel*>(&model))
        result = ResetKeyboardProfile(keyboard->Keyboard(), keyboard->Lighting().Leds());
    else if (auto* ring = dynamic_cast<RingModel*>(&model))
        result = ring->Ring().ResetProfile();
    model.LightingChanged();
    return result;
}

} // namespace orvel::devices
