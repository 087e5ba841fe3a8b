#pragma once
// What the lighting panel offers for a device kind and a mode index: which of its control groups
// are enabled or disabled, shown or hidden, the texts of the two direction options and the page of
// the colour tabs. A group that a kind's rules do not name is left as it is.

#include <array>
#include <optional>
#include <string_view>
#include <vector>

namespace orvel::lighting {

// The panel's control groups, by their names in its layout.
inline constexpr std::string_view kEffectGroup = "lighteffect_layout";
inline constexpr std::string_view kSevenColourOption = "deng_7color_check";
inline constexpr std::string_view kColourGroup = "deng_color_layout";
inline constexpr std::string_view kPaletteGroup = "colorpallet_layout";
inline constexpr std::string_view kBrightnessGroup = "deng_light_layout";
inline constexpr std::string_view kSpeedGroup = "deng_speed_layout";
inline constexpr std::string_view kDirectionGroup = "deng_fx_layout";
inline constexpr std::string_view kSameModeButton = "deng_same_mode";
inline constexpr std::string_view kCustomGroup = "lightcustom_layout";
inline constexpr std::string_view kSubModeGroup = "light_combo_ZZCCmodeSelectLayout";
inline constexpr std::string_view kColourArea = "light_color_layout";
inline constexpr std::string_view kAudioModeGroup = "light_combo_AudiomodeSelectLayout";

struct GroupState {
    std::string_view name;
    std::optional<bool> enabled; // empty: left as it is
    std::optional<bool> visible;
};

struct LightPanelView {
    // One entry per group the rules name.
    std::vector<GroupState> groups;
    // Language keys of the first and second direction option ("deng_FXL_check", "deng_FXR_check").
    std::optional<std::array<std::string_view, 2>> directionTexts;
    // The page of "light_color_tablayout": 0 the lighting colours, 1 the music colours.
    std::optional<int> colourPage;

    // The state of a group, or null when the rules leave it alone.
    const GroupState* Find(std::string_view name) const;
};

// Panel kinds: 1 keyboard (and 9, through its receiver), 2 mouse (and 6), 3 mouse pad, 7 headset
// (and 4), 5; any other kind names no group. The same-mode button shows only where the mode has
// a common effect and two or more devices are connected (sameModeAllowed).
LightPanelView LightPanelViewFor(int kind, int mode, bool sameModeAllowed);

} // namespace orvel::lighting
