#pragma once
// Same-mode synchronisation: the source device's effect, translated to a common effect,
// becomes every connected device's effect (source included), kind by kind (keyboards, mice,
// mouse pads, headsets). Each device's sync flag is set, so its own light thread pauses and
// the synchronised frames reach it; its profile takes the record and its settings are written.

#include "devices/device_core.h"

#include <vector>

namespace orvel::devices {

struct SameModeResult {
    bool applied = false;          // false: the source's mode has no common effect
    // Every device's own result taken together: the first device failure (before a profile
    // that was not saved), and each message once, so a failed save is not reported as a device
    // that was not updated, nor the other way round.
    SequenceResult writes;
};

SameModeResult SyncSameMode(DeviceCore& source, const std::vector<DeviceCore*>& devices);

} // namespace orvel::devices
