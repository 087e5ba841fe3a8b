#include "devices/same_mode.h"

#include "lighting/sync_lighting.h"

namespace orvel::devices {

namespace {

lighting::DeviceKind LightingKind(DeviceFamily family)
{
    switch (family) {
    case DeviceFamily::Keyboard:
        return lighting::DeviceKind::Keyboard;
    case DeviceFamily::Mouse:
        return lighting::DeviceKind::Mouse;
    case DeviceFamily::MousePad:
        return lighting::DeviceKind::MousePad;
    case DeviceFamily::Headset:
        return lighting::DeviceKind::Headset;
    }
    return lighting::DeviceKind::Mouse;
}

} // namespace

SameModeResult SyncSameMode(DeviceCore& source, const std::vector<DeviceCore*>& devices)
{
    SameModeResult result;
    const profiles::LightRecord record = source.CurrentLight();
    const auto common = lighting::CommonCodeOf(LightingKind(source.Family()), record.selectItem);
    if (!common) {
        return result;
    }
    result.applied = true;
    for (DeviceFamily family : {DeviceFamily::Keyboard, DeviceFamily::Mouse, DeviceFamily::MousePad, DeviceFamily::Headset}) {
        for (DeviceCore* device : devices) {
            if (device == nullptr || device->Family() != family || !device->LinkOpen()) {
                continue;
            }
            const auto mode = lighting::ModeIndexOf(LightingKind(family), *common);
            if (!mode) {
                continue;
            }
            device->SetSyncFlag(true);
            profiles::LightRecord copy = record;
            copy.selectItem = static_cast<std::uint8_t>(*mode);
            result.writes.Merge(device->ApplyLight(copy));
        }
    }
    return result;
}

} // namespace orvel::devices
