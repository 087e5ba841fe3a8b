#pragma once
// What the mouse page shows of its five DPI stages: one row per stage with its switch, its
// current-stage mark, slider, edit and colour swatch. A stage the profile does not hold shows
// as one switched off at level 0.

#include "devices/mouse_core.h"
#include "devices/mouse_dpi.h"

#include <array>
#include <cstdint>
#include <vector>

namespace orvel::devices {

struct StageRowView {
    bool enabled = false;            // the stage is switched on (its row takes input)
    bool switchEnabled = true;       // the current stage and the last one switched on stay on
    bool current = false;            // the stage the mouse uses
    bool editable = false;           // slider and edit take input (not with a DPI step of 0)
    int level = 0;                   // the slider's value
    int shown = 0;                   // what the edit shows
    std::uint32_t swatch = 0xFF000000; // 0xFF000000 | red << 16 | green << 8 | blue
    friend bool operator==(const StageRowView&, const StageRowView&) = default;
};

using StageRows = std::array<StageRowView, kMouseStages>;

StageRows MouseStageRows(const std::vector<profiles::DpiStage>& stages, int active, const DpiRule& rule);

// What an edit shows for a level: its DPI, or the level itself when the mouse gives no DPI step.
int ShownDpi(const DpiRule& rule, int level);

} // namespace orvel::devices
