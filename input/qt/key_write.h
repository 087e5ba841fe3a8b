#pragma once
// The keys and their macros written to the keyboard or mouse of a page, as one sequence under
// the page's frame-output hold, with the result the page shows.

#include "devices/device_core.h"
#include "input/keyset_panel.h"

#include <functional>

namespace orvel::devices {
class DeviceModel;
}

namespace orvel::input {

// write runs the steps on the model's keyboard or mouse core (KeySetPanel::WriteToDevice or
// WriteMacrosThenKeys); a model of another kind writes nothing.
devices::SequenceResult WriteKeys(devices::DeviceModel& model,
                                  const std::function<KeyWriteResult(const KeyWriteSteps&)>& write);

// Saves the profile of the model's keyboard or mouse core, with the assignments made in the
// key-set panel and not yet written: what reads the profile file then sees them. True when saved
// (and for a model of another kind, which has no keys).
bool SaveKeys(devices::DeviceModel& model);

} // namespace orvel::input
