#include "devices/light_panel_model.h"

#include "devices/kind_models.h"

namespace orvel::devices {

std::optional<profiles::AudioLightRecord> StoredAudioLight(DeviceModel& model)
{
    if (auto* keyboard = dynamic_cast<KeyboardModel*>(&model))
        return keyboard->Keyboard().AudioLight();
    return std::nullopt;
}

LightPanelLists LoadModelLightLists(DeviceModel& model, const LightPanelLists& previous)
{
    const DeviceCore& core = model.Core();
    return LoadLightLists(core.Folders().defaultData, core.Folders().LightConfig(), core.ListKind(), previous);
}

} // namespace orvel::devices
