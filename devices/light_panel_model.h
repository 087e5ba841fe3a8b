#pragma once
// What the lighting panel reads from a page's model beside its lighting record: the lists it
// shows and the keyboard's music colours. Its changes go through the model's own operations
// (DeviceModel::ChangeLighting, KeyboardModel::SetCustomGroup and SetAudioLight).

#include "devices/device_model.h"
#include "devices/light_lists.h"

#include <optional>

namespace orvel::devices {

// The keyboard's music colours, or none for the other kinds (they have no music lighting, so
// the panel keeps theirs).
std::optional<profiles::AudioLightRecord> StoredAudioLight(DeviceModel& model);

// The lists of the device's lighting panel; see LoadLightLists.
LightPanelLists LoadModelLightLists(DeviceModel& model, const LightPanelLists& previous);

} // namespace orvel::devices
