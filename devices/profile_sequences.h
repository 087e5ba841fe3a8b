#pragma once
// What the profile panel runs on a page's model after the profile list reset the selected
// profile's document to the kind's defaults: the device loads it and is written all of it. The
// keyboard writes its keys also after its macros failed (they are the defaults' keys); the mouse
// stops at a failed macro write and leaves its keys as they were. A switch to another profile is
// the model's own SwitchProfile.

#include "devices/device_model.h"
#include "devices/keyboard_core.h"

namespace orvel::devices {

SequenceResult ResetModelProfile(DeviceModel& model);
// The keyboard's part of it: its profile loaded and written, the keys after the macros whatever
// their result (the custom colours of its group go to leds and the keyboard in mode 19).
SequenceResult ResetKeyboardProfile(KeyboardCore& keyboard, lighting::LedBuffer& leds);

} // namespace orvel::devices
