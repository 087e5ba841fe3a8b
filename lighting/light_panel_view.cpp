#include "lighting/light_panel_view.h"

#include "lighting/sync_lighting.h"

#include <algorithm>

namespace orvel::lighting {
namespace {

// The seven groups every kind's rules set, in this order.
constexpr std::array<std::string_view, 7> kColumns = {kEffectGroup,     kSevenColourOption, kColourGroup, kPaletteGroup,
                                                      kBrightnessGroup, kSpeedGroup,        kDirectionGroup};

using DirectionTexts = std::array<std::string_view, 2>;
constexpr DirectionTexts kSideways = {"light_set_right_to_left_text", "light_set_left_to_right_text"};
constexpr DirectionTexts kRound = {"light_set_clockwise_text", "light_set_anticlockwise_text"};
constexpr DirectionTexts kUpwards = {"light_set_down_to_up_text", "light_set_up_to_down_text"};
constexpr DirectionTexts kDownwards = {"light_set_up_to_down_text", "light_set_down_to_up_text"};
constexpr DirectionTexts kInwards = {"light_set_outside_to_inside_text", "light_set_inside_to_outside_text"};

// One row of a kind's rules: the seven columns as 'E' (enabled), '-' (disabled) or '.' (left
// alone).
using Row = std::string_view;

class Builder {
public:
    void Set(std::string_view name, std::optional<bool> enabled, std::optional<bool> visible = std::nullopt)
    {
        auto it = std::find_if(view_.groups.begin(), view_.groups.end(), [&](const GroupState& g) { return g.name == name; });
        if (it == view_.groups.end()) {
            view_.groups.push_back({name, std::nullopt, std::nullopt});
            it = view_.groups.end() - 1;
        }
        if (enabled)
            it->enabled = enabled;
        if (visible)
            it->visible = visible;
    }
    void Columns(std::string_view columns)
    {
        for (std::size_t i = 0; i < kColumns.size() && i < columns.size(); ++i) {
            if (columns[i] != '.')
                Set(kColumns[i], columns[i] == 'E');
        }
    }
    void SameMode(bool shown) { Set(kSameModeButton, std::nullopt, shown); }
    LightPanelView& View() { return view_; }

private:
    LightPanelView view_;
};

// A keyboard mode's row and what it changes beyond the seven columns.
struct KeyboardRow {
    Row columns;
    const DirectionTexts* texts = &kSideways;
    bool colourArea = true;
    bool speedShown = true;
    std::string_view shown = {}; // a group only this mode shows
    int colourPage = 0;
};

KeyboardRow KeyboardRowOf(int mode)
{
    switch (mode) {
    case 1: case 2: return {.columns = "EEEEEEE"};
    case 3: case 24: return {.columns = "EEEEEEE", .texts = &kRound};
    case 4: case 11: case 26: return {.columns = "E---EE-", .colourArea = false};
    case 5: case 7: case 8: case 9: case 10: case 13: case 14: case 15: case 22: case 23: case 25:
        return {.columns = "EEEEEE-"};
    case 6: case 16: return {.columns = "EEEEE--"};
    case 12: return {.columns = "E---EEE", .texts = &kUpwards};
    case 17: return {.columns = "E---EE-", .colourArea = false, .speedShown = false, .shown = kSubModeGroup};
    case 18: return {.columns = "E---E-E", .texts = &kInwards, .colourArea = false};
    case 19: return {.columns = "E-EEE--", .speedShown = false, .shown = kCustomGroup};
    case 21: return {.columns = "EEEEEEE", .texts = &kDownwards};
    case 27: return {.columns = "E---EE-"};
    case 29: return {.columns = "EEEEE-E", .speedShown = false, .shown = kAudioModeGroup, .colourPage = 1};
    case 30: return {.columns = "E---E--", .colourArea = false};
    default: return {.columns = "E------"};
    }
}

void Keyboard(Builder& b, int mode)
{
    const KeyboardRow k = KeyboardRowOf(mode);
    for (std::string_view group : {kCustomGroup, kSubModeGroup, kAudioModeGroup})
        b.Set(group, std::nullopt, group == k.shown);
    b.Set(kSpeedGroup, std::nullopt, k.speedShown);
    b.Set(kColourArea, k.colourArea);
    b.Columns(k.columns);
    b.View().directionTexts = *k.texts;
    b.View().colourPage = k.colourPage;
}

Row MouseRow(int mode)
{
    switch (mode) {
    case 0: case 5: return "EEEEEEE";
    case 1: case 7: case 8: return "E---EE-";
    case 2: case 4: case 6: return "EEEEEE-";
    case 3: return "E-EEE--";
    default: return "E------";
    }
}

// The mouse pad and the headset.
Row RingRow(int mode)
{
    switch (mode) {
    case 0: return "EEEEEEE";
    case 1: return "E---EE-";
    case 2: case 4: return "EEEEEE-";
    case 3: return "E-EEE--";
    default: return "E------";
    }
}

// Kind 5 leaves the direction and the same-mode button alone.
Row Kind5Row(int mode)
{
    switch (mode) {
    case 0: case 2: case 3: return "EEEEEE.";
    case 1: return "E-EEE-.";
    case 4: return "E---EE.";
    default: return "E-----.";
    }
}

} // namespace

const GroupState* LightPanelView::Find(std::string_view name) const
{
    auto it = std::find_if(groups.begin(), groups.end(), [&](const GroupState& g) { return g.name == name; });
    return it == groups.end() ? nullptr : &*it;
}

LightPanelView LightPanelViewFor(int kind, int mode, bool sameModeAllowed)
{
    Builder b;
    if (kind == 5) {
        b.Columns(Kind5Row(mode));
        return b.View();
    }
    const std::optional<DeviceKind> lit = KindOfNumber(kind);
    if (!lit)
        return b.View();
    if (*lit == DeviceKind::Keyboard) {
        Keyboard(b, mode);
    } else {
        b.Set(kDirectionGroup, true);
        b.Columns(*lit == DeviceKind::Mouse ? MouseRow(mode) : RingRow(mode));
    }
    // Only a mode with a common effect can be given to the other devices.
    b.SameMode(sameModeAllowed && CommonCodeOf(*lit, mode).has_value());
    return b.View();
}

} // namespace orvel::lighting
