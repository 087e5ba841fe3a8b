#pragma once
// The lighting panel's colour rules: what a typed colour component stores and shows, how a picked
// colour changes the lighting record, and the music colours (foreground and background) with the
// option that says which of them the panel edits.

#include "lighting/colour.h"
#include "profiles/records.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace orvel::lighting {

// The toolkit's colour form: 0xFFRRGGBB.
constexpr uint32_t ToArgb(Rgb c)
{
    return 0xFF000000u | uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | uint32_t(c.b);
}
constexpr Rgb FromArgb(uint32_t argb)
{
    return Rgb{uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb)};
}

// A colour component as typed into an edit, read as a decimal number: above 255 it is 255, below
// 0 it is 0, and text without digits is 0. text is what the edit shows afterwards.
struct TypedComponent {
    uint8_t value = 0;
    std::wstring text;
};
TypedComponent ReadTypedComponent(std::wstring_view typed);

// The record's fixed colour.
Rgb FixedColour(const profiles::LightRecord& record);
// A picked colour (palette, swatch) becomes the fixed colour and ends the colour cycle.
profiles::LightRecord WithFixedColour(profiles::LightRecord record, Rgb colour);
// One typed component (0 red, 1 green, 2 blue) of the fixed colour; the colour cycle ends.
profiles::LightRecord WithComponent(profiles::LightRecord record, int index, uint8_t value);
// The colour with one component replaced (0 red, 1 green, 2 blue; others change nothing).
Rgb WithComponent(Rgb colour, int index, uint8_t value);

// What the music colour area shows for a record.
struct AudioColourView {
    bool foreground = false;          // the foreground option is selected (else the background's)
    Rgb colour;                       // the colour being edited
    bool sevenColourEnabled = false;  // the seven-colour option applies to the foreground only
    bool sevenColour = false;
    bool areasEnabled = true;         // the colour areas do nothing for the loudness rings (style 3)
};
AudioColourView AudioColourViewOf(const profiles::AudioLightRecord& record);

// The music controls as the panel reads them back.
struct AudioPanelState {
    int audioMode = -1; // the style combo's selection; -1 keeps the stored style
    bool sevenColour = false;
    bool backgroundSelected = false;
    bool foregroundSelected = false;
    Rgb shownColour; // the colour button's
};
// The stored record with the panel's style, seven-colour option and edited colour; when both
// options read as selected the one clicked last wins (the one the stored record does not edit).
// With takeColour the shown colour goes into the colour being edited.
profiles::AudioLightRecord ReadAudioPanel(profiles::AudioLightRecord stored, const AudioPanelState& panel,
                                          bool takeColour);
// A picked colour into the colour being edited; a new foreground ends its colour cycle.
profiles::AudioLightRecord WithAudioColour(profiles::AudioLightRecord record, Rgb colour);
// One typed component of the colour being edited.
profiles::AudioLightRecord WithAudioComponent(profiles::AudioLightRecord record, int index, uint8_t value);
// No background colour: black.
profiles::AudioLightRecord WithoutBackground(profiles::AudioLightRecord record);

} // namespace orvel::lighting
