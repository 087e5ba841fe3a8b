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

} // namespace orvel::input
