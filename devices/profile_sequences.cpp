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

SequenceResult ResetModelProfile(DeviceModel& model)
{
    if (auto* keyboard = dynamic_cast<KeyboardModel*>(&model))
        return model.Perform([&] { return ResetKeyboardProfile(keyboard->Keyboard(), keyboard->Lighting().Leds()); });
    if (auto* ring = dynamic_cast<RingModel*>(&model))
        return model.Perform([&] { return ring->Ring().ResetProfile(); });
    // The mouse's reset takes the steps of its switch and stops where a switch stops.
    return model.SwitchProfile();
}

} // namespace orvel::devices
