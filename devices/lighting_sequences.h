#pragma once
// What the lighting panel runs on a page's model: a change of the lighting record, the
// keyboard's custom colour group and its music colours, and the lists the panel shows. Each
// runs under the frame output's hold, and the light loop takes the new state.

#include "devices/device_model.h"
#include "devices/light_lists.h"

namespace orvel::devices {

// The device leaves the synchronised lighting and takes the record: stored in the profile, saved,
// written to the device.
SequenceResult ChangeModelLighting(DeviceModel& model, const profiles::LightRecord& record);

// The keyboard's custom colour group: the record (byte 12) and the profile's group index take
// it, the settings are written, then the keyboard is sent the group's colours. Other kinds have
// no groups: nothing happens.
SequenceResult SelectCustomGroup(DeviceModel& model, int group);

// The music colours. The keyboard keeps them in its profile (saved) and its device state; the
// other kinds have no music lighting, so they stay in the panel.
SequenceResult StoreAudioLight(DeviceModel& model, const profiles::AudioLightRecord& record);
// The keyboard's music colours, or none for the other kinds.
std::optional<profiles::AudioLightRecord> StoredAudioLight(DeviceModel& model);

// The lists of the device's lighting panel; see LoadLightLists.
LightLists LoadModelLightLists(DeviceModel& model, const LightLists& previous);

} // namespace orvel::devices
