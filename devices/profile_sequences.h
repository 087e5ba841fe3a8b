#pragma once
// What the profile panel runs on a page's model once the profile list has changed: another
// profile picked (or the selected one deleted), and the selected profile reset to its defaults.
// Each runs under the frame output's hold, and the light loop takes the profile's lighting.

#include "devices/device_model.h"
#include "devices/keyboard_core.h"

#include <string>

namespace orvel::devices {

// The device takes identifier as its profile: loads it and writes settings, macros and keys.
SequenceResult SwitchModelProfile(DeviceModel& model, const std::string& identifier);

// The profile document was reset by the profile list: the device loads it and writes it. The
// keyboard writes its keys also after its macros failed (they are the defaults' keys); the mouse
// stops at a failed macro write and leaves its keys as they were.
SequenceResult ResetModelProfile(DeviceModel& model);
// The keyboard's part of it: its profile loaded and written, the keys after the macros whatever
// their result (the custom colours of its group go to leds and the keyboard in mode 19).
SequenceResult ResetKeyboardProfile(KeyboardCore& keyboard, lighting::LedBuffer& leds);

} // namespace orvel::devices
