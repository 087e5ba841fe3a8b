#include "devices/mouse_stages.h"

#include <algorithm>

namespace orvel::devices {

int ShownDpi(const DpiRule& rule, int level)
{
    return rule.Editable() ? rule.LevelToDpi(level) : level;
}

StageRows MouseStageRows(const std::vector<profiles::DpiStage>& stages, int active, const DpiRule& rule)
{
    StageRows rows;
    const int current = std::clamp(active, 0, kMouseStages - 1);
    int switchedOn = 0;
    for (int n = 0; n < kMouseStages; ++n) {
        const profiles::DpiStage stage =
            static_cast<std::size_t>(n) < stages.size() ? stages[static_cast<std::size_t>(n)] : profiles::DpiStage{};
        StageRowView& row = rows[static_cast<std::size_t>(n)];
        row.enabled = stage.enabled != 0;
        row.current = n == current;
        row.editable = rule.Editable();
        row.level = stage.levelX;
        row.shown = ShownDpi(rule, stage.levelX);
        row.swatch = 0xFF000000u | std::uint32_t(stage.red) << 16 | std::uint32_t(stage.green) << 8 | stage.blue;
        switchedOn += row.enabled;
    }
    for (StageRowView& row : rows) {
        // A stage that is off can always be switched on.
        row.switchEnabled = !row.enabled || (!row.current && switchedOn > 1);
    }
    return rows;
}

} // namespace orvel::devices
