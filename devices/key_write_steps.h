#pragma once
// The steps of a key write (input/keyset_panel.h) on a keyboard or mouse core: the profile
// saved, the macros of the profile's keys written as one image, the current key table written.

#include "devices/image_write.h"
#include "input/keyset_panel.h"

namespace orvel::devices {

template <typename Core>
input::KeyWriteSteps KeyWriteStepsOf(Core& core)
{
    return {
        [&core] { return core.Profile().Save(); },
        [&core] {
            const ImageWriteResult write = core.WriteMacros(core.GetMacroList());
            return input::MacroWriteOutcome{write.image, write.value, write.linkStatus, core.DeviceInfo()[6]};
        },
        [&core] { return core.WriteCurrentKeys(0); },
    };
}

} // namespace orvel::devices
