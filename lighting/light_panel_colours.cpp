#include "lighting/light_panel_colours.h"

#include <cwctype>

namespace orvel::lighting {
namespace {

Rgb Foreground(const profiles::AudioLightRecord& r)
{
    return {r.fgColorR, r.fgColorG, r.fgColorB};
}

Rgb Background(const profiles::AudioLightRecord& r)
{
    return {r.bkColorR, r.bkColorG, r.bkColorB};
}

void SetForeground(profiles::AudioLightRecord& r, Rgb c)
{
    r.fgColorR = c.r;
    r.fgColorG = c.g;
    r.fgColorB = c.b;
}

void SetBackground(profiles::AudioLightRecord& r, Rgb c)
{
    r.bkColorR = c.r;
    r.bkColorG = c.g;
    r.bkColorB = c.b;
}

constexpr int kLoudnessRings = 3;

} // namespace

TypedComponent ReadTypedComponent(std::wstring_view typed)
{
    std::size_t at = 0;
    while (at < typed.size() && std::iswspace(typed[at]))
        ++at;
    const bool negative = at < typed.size() && typed[at] == L'-';
    if (at < typed.size() && (typed[at] == L'-' || typed[at] == L'+'))
        ++at;
    int value = 0;
    for (; at < typed.size() && typed[at] >= L'0' && typed[at] <= L'9'; ++at) {
        value = value * 10 + (typed[at] - L'0');
        if (value > 255)
            value = 256; // no further digit can bring it back
    }
    if (negative)
        value = 0;
    const auto component = static_cast<uint8_t>(value > 255 ? 255 : value);
    return {component, std::to_wstring(component)};
}

Rgb FixedColour(const profiles::LightRecord& record)
{
    return {record.red, record.green, record.blue};
}

profiles::LightRecord WithFixedColour(profiles::LightRecord record, Rgb colour)
{
    record.red = colour.r;
    record.green = colour.g;
    record.blue = colour.b;
    record.multiColor = 0;
    return record;
}

Rgb WithComponent(Rgb colour, int index, uint8_t value)
{
    if (index == 0)
        colour.r = value;
    else if (index == 1)
        colour.g = value;
    else if (index == 2)
        colour.b = value;
    return colour;
}

profiles::LightRecord WithComponent(profiles::LightRecord record, int index, uint8_t value)
{
    return WithFixedColour(record, WithComponent(FixedColour(record), index, value));
}

AudioColourView AudioColourViewOf(const profiles::AudioLightRecord& record)
{
    AudioColourView view;
    view.foreground = record.colorTypeFlags == 1;
    view.colour = view.foreground ? Foreground(record) : Background(record);
    view.sevenColourEnabled = view.foreground;
    view.sevenColour = record.sevenColorFlags != 0;
    view.areasEnabled = record.audioMode != kLoudnessRings;
    return view;
}

profiles::AudioLightRecord ReadAudioPanel(profiles::AudioLightRecord stored, const AudioPanelState& panel,
                                          bool takeColour)
{
    if (panel.audioMode >= 0 && panel.audioMode <= 255)
        stored.audioMode = static_cast<uint8_t>(panel.audioMode);
    stored.sevenColorFlags = panel.sevenColour ? 1 : 0;
    const bool both = panel.backgroundSelected && panel.foregroundSelected;
    if (both)
        stored.colorTypeFlags = stored.colorTypeFlags == 1 ? 0 : 1;
    else
        stored.colorTypeFlags = panel.backgroundSelected ? 0 : 1;
    if (takeColour) {
        if (stored.colorTypeFlags == 1)
            SetForeground(stored, panel.shownColour);
        else
            SetBackground(stored, panel.shownColour);
    }
    return stored;
}

profiles::AudioLightRecord WithAudioColour(profiles::AudioLightRecord record, Rgb colour)
{
    if (record.colorTypeFlags == 1) {
        SetForeground(record, colour);
        record.sevenColorFlags = 0;
    } else {
        SetBackground(record, colour);
    }
    return record;
}

profiles::AudioLightRecord WithAudioComponent(profiles::AudioLightRecord record, int index, uint8_t value)
{
    const Rgb edited = record.colorTypeFlags == 1 ? Foreground(record) : Background(record);
    return WithAudioColour(record, WithComponent(edited, index, value));
}

profiles::AudioLightRecord WithoutBackground(profiles::AudioLightRecord record)
{
    SetBackground(record, {});
    return record;
}

} // namespace orvel::lighting
