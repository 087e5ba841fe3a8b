// The lighting panel's rules: which groups a mode offers per device kind, the typed colour
// components and the music colours.

#include "lighting/light_panel_colours.h"
#include "lighting/light_panel_view.h"
#include "lighting/sync_lighting.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

namespace orvel::lighting {
namespace {

// The seven columns as the panel shows them: E enabled, - disabled, . left alone.
std::string Columns(const LightPanelView& view)
{
    std::string out;
    for (std::string_view name : {kEffectGroup, kSevenColourOption, kColourGroup, kPaletteGroup, kBrightnessGroup,
                                  kSpeedGroup, kDirectionGroup}) {
        const GroupState* g = view.Find(name);
        out += g == nullptr || !g->enabled ? '.' : (*g->enabled ? 'E' : '-');
    }
    return out;
}

// v shown, h hidden, . left alone.
char Shown(const LightPanelView& view, std::string_view name)
{
    const GroupState* g = view.Find(name);
    return g == nullptr || !g->visible ? '.' : (*g->visible ? 'v' : 'h');
}

char Enabled(const LightPanelView& view, std::string_view name)
{
    const GroupState* g = view.Find(name);
    return g == nullptr || !g->enabled ? '.' : (*g->enabled ? 'E' : '-');
}

TEST(LightPanelView, EachKindAndModeOffersItsGroups)
{
    struct Case {
        int kind;
        int mode;
        const char* columns;
        char sameMode;   // with two devices connected
    };
    const Case cases[] = {
        // keyboard
        {1, 0, "E------", 'h'},  {1, 1, "EEEEEEE", 'h'},  {1, 3, "EEEEEEE", 'h'},  {1, 4, "E---EE-", 'v'},
        {1, 5, "EEEEEE-", 'v'},  {1, 6, "EEEEE--", 'v'},  {1, 7, "EEEEEE-", 'h'},  {1, 11, "E---EE-", 'h'},
        {1, 12, "E---EEE", 'h'}, {1, 16, "EEEEE--", 'h'}, {1, 17, "E---EE-", 'h'}, {1, 18, "E---E-E", 'h'},
        {1, 19, "E-EEE--", 'h'}, {1, 20, "E------", 'h'}, {1, 21, "EEEEEEE", 'h'}, {1, 23, "EEEEEE-", 'v'},
        {1, 27, "E---EE-", 'h'}, {1, 28, "E------", 'v'}, {1, 29, "EEEEE-E", 'h'}, {1, 30, "E---E--", 'h'},
        {1, 31, "E------", 'h'}, {9, 5, "EEEEEE-", 'v'},
        // mouse
        {2, 0, "EEEEEEE", 'h'},  {2, 1, "E---EE-", 'v'},  {2, 2, "EEEEEE-", 'v'},  {2, 3, "E-EEE--", 'v'},
        {2, 4, "EEEEEE-", 'v'},  {2, 5, "EEEEEEE", 'h'},  {2, 6, "EEEEEE-", 'h'},  {2, 7, "E---EE-", 'h'},
        {2, 9, "E------", 'v'},  {2, 10, "E------", 'h'}, {6, 3, "E-EEE--", 'v'},
        // mouse pad, headset
        {3, 0, "EEEEEEE", 'h'},  {3, 1, "E---EE-", 'v'},  {3, 2, "EEEEEE-", 'v'},  {3, 3, "E-EEE--", 'v'},
        {3, 5, "E------", 'h'},  {3, 8, "E------", 'v'},  {7, 4, "EEEEEE-", 'v'},  {4, 8, "E------", 'v'},
        // kind 5 leaves direction and same mode alone
        {5, 0, "EEEEEE.", '.'},  {5, 1, "E-EEE-.", '.'},  {5, 4, "E---EE.", '.'},  {5, 7, "E-----.", '.'},
        // no such kind
        {8, 0, ".......", '.'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " mode " << c.mode);
        const LightPanelView view = LightPanelViewFor(c.kind, c.mode, true);
        EXPECT_EQ(Columns(view), c.columns);
        EXPECT_EQ(Shown(view, kSameModeButton), c.sameMode);
        if (c.sameMode != '.') {
            EXPECT_EQ(Shown(LightPanelViewFor(c.kind, c.mode, false), kSameModeButton), 'h');
        }
    }
}

TEST(LightPanelView, TheKeyboardShowsTheExtrasOfItsModes)
{
    struct Case {
        int mode;
        const char* shown; // custom set, sub-mode, music style, speed
        char colourArea;
        const char* firstDirection;
        int colourPage;
    };
    const Case cases[] = {
        {2, "hhhv", 'E', "light_set_right_to_left_text", 0},  {3, "hhhv", 'E', "light_set_clockwise_text", 0},
        {4, "hhhv", '-', "light_set_right_to_left_text", 0},  {12, "hhhv", 'E', "light_set_down_to_up_text", 0},
        {17, "hvhh", '-', "light_set_right_to_left_text", 0}, {18, "hhhv", '-', "light_set_outside_to_inside_text", 0},
        {19, "vhhh", 'E', "light_set_right_to_left_text", 0}, {21, "hhhv", 'E', "light_set_up_to_down_text", 0},
        {24, "hhhv", 'E', "light_set_clockwise_text", 0},     {29, "hhvh", 'E', "light_set_right_to_left_text", 1},
        {30, "hhhv", '-', "light_set_right_to_left_text", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        const LightPanelView view = LightPanelViewFor(1, c.mode, false);
        const std::string shown = {Shown(view, kCustomGroup), Shown(view, kSubModeGroup), Shown(view, kAudioModeGroup),
                                   Shown(view, kSpeedGroup)};
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(Enabled(view, kColourArea), c.colourArea);
        ASSERT_TRUE(view.directionTexts.has_value());
        EXPECT_EQ((*view.directionTexts)[0], c.firstDirection);
        EXPECT_EQ(view.colourPage, c.colourPage);
    }
    // The other kinds keep the layout's direction texts, colour page and keyboard groups.
    const LightPanelView mouse = LightPanelViewFor(2, 3, true);
    EXPECT_FALSE(mouse.directionTexts.has_value());
    EXPECT_FALSE(mouse.colourPage.has_value());
    EXPECT_EQ(Shown(mouse, kCustomGroup), '.');
    EXPECT_EQ(Enabled(mouse, kColourArea), '.');
}

// The button is shown exactly where clicking it gives the other devices the effect.
TEST(LightPanelView, SameModeIsOfferedWhereTheModeHasACommonEffect)
{
    for (int kind : {1, 2, 3, 7}) {
        for (int mode = 0; mode < 40; ++mode) {
            SCOPED_TRACE(testing::Message() << "kind " << kind << " mode " << mode);
            const bool common = CommonCodeOf(*KindOfNumber(kind), mode).has_value();
            EXPECT_EQ(Shown(LightPanelViewFor(kind, mode, true), kSameModeButton), common ? 'v' : 'h');
        }
    }
}

TEST(LightPanelColours, ATypedComponentIsClampedAndShownAsStored)
{
    struct Case {
        const wchar_t* typed;
        int value;
        const wchar_t* shown;
    };
    const Case cases[] = {
        {L"128", 128, L"128"}, {L"300", 255, L"255"}, {L"", 0, L"0"},         {L"-5", 0, L"0"},
        {L"007", 7, L"7"},     {L" 42", 42, L"42"},   {L"12a", 12, L"12"},    {L"abc", 0, L"0"},
        {L"255", 255, L"255"}, {L"256", 255, L"255"}, {L"99999999999999999999", 255, L"255"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "typed \"" << std::string(c.typed, c.typed + std::wcslen(c.typed)) << "\"");
        const TypedComponent typed = ReadTypedComponent(c.typed);
        EXPECT_EQ(typed.value, c.value);
        EXPECT_EQ(typed.text, c.shown);
    }
}

TEST(LightPanelColours, APickedOrTypedColourEndsTheColourCycle)
{
    profiles::LightRecord record;
    record.multiColor = 1;
    record.red = 1;
    record.green = 2;
    record.blue = 3;
    const profiles::LightRecord picked = WithFixedColour(record, FromArgb(0xFF102030));
    EXPECT_EQ(picked.multiColor, 0);
    EXPECT_EQ(FixedColour(picked), (Rgb{0x10, 0x20, 0x30}));
    const profiles::LightRecord typed = WithComponent(record, 1, 255);
    EXPECT_EQ(typed.multiColor, 0);
    EXPECT_EQ(FixedColour(typed), (Rgb{1, 255, 3}));
    EXPECT_EQ(ToArgb(FixedColour(typed)), 0xFF01FF03u);
    EXPECT_EQ(FixedColour(WithComponent(record, 3, 9)), FixedColour(record));
}

profiles::AudioLightRecord MusicRecord(uint8_t type)
{
    profiles::AudioLightRecord r;
    r.audioMode = 2;
    r.bkColorR = 1, r.bkColorG = 2, r.bkColorB = 3;
    r.fgColorR = 10, r.fgColorG = 20, r.fgColorB = 30;
    r.sevenColorFlags = 1;
    r.colorTypeFlags = type;
    return r;
}

TEST(LightPanelColours, TheMusicAreaShowsTheColourItEdits)
{
    const AudioColourView fg = AudioColourViewOf(MusicRecord(1));
    EXPECT_TRUE(fg.foreground);
    EXPECT_EQ(fg.colour, (Rgb{10, 20, 30}));
    EXPECT_TRUE(fg.sevenColourEnabled);
    EXPECT_TRUE(fg.sevenColour);
    EXPECT_TRUE(fg.areasEnabled);
    const AudioColourView bg = AudioColourViewOf(MusicRecord(0));
    EXPECT_FALSE(bg.foreground);
    EXPECT_EQ(bg.colour, (Rgb{1, 2, 3}));
    EXPECT_FALSE(bg.sevenColourEnabled);
    profiles::AudioLightRecord rings = MusicRecord(1);
    rings.audioMode = 3;
    EXPECT_FALSE(AudioColourViewOf(rings).areasEnabled);
}

TEST(LightPanelColours, TheMusicPanelIsReadBackWithTheOptionClickedLast)
{
    struct Case {
        uint8_t storedType;
        bool background;
        bool foreground;
        uint8_t type;
    };
    const Case cases[] = {
        {1, true, false, 0}, {0, false, true, 1}, {0, false, false, 1},
        {0, true, true, 1},  {1, true, true, 0},
    };
    for (const Case& c : cases) {
        AudioPanelState state{5, false, c.background, c.foreground, {7, 8, 9}};
        const profiles::AudioLightRecord read = ReadAudioPanel(MusicRecord(c.storedType), state, false);
        EXPECT_EQ(read.colorTypeFlags, c.type);
        EXPECT_EQ(read.audioMode, 5);
        EXPECT_EQ(read.sevenColorFlags, 0);
        EXPECT_EQ(read.fgColorR, 10); // no colour taken
        EXPECT_EQ(read.bkColorR, 1);
    }
    const profiles::AudioLightRecord taken = ReadAudioPanel(MusicRecord(0), {-1, true, true, false, {7, 8, 9}}, true);
    EXPECT_EQ(taken.audioMode, 2); // no style picked: the stored one
    EXPECT_EQ(taken.bkColorR, 7);
    EXPECT_EQ(taken.fgColorR, 10);
}

TEST(LightPanelColours, AMusicColourGoesToTheColourBeingEdited)
{
    const profiles::AudioLightRecord fg = WithAudioColour(MusicRecord(1), {100, 110, 120});
    EXPECT_EQ(fg.fgColorG, 110);
    EXPECT_EQ(fg.sevenColorFlags, 0);
    EXPECT_EQ(fg.bkColorG, 2);
    const profiles::AudioLightRecord bg = WithAudioComponent(MusicRecord(0), 2, 255);
    EXPECT_EQ(bg.bkColorB, 255);
    EXPECT_EQ(bg.bkColorR, 1);
    EXPECT_EQ(bg.sevenColorFlags, 1);
    EXPECT_EQ(bg.fgColorB, 30);
    const profiles::AudioLightRecord none = WithoutBackground(MusicRecord(1));
    EXPECT_EQ(none.bkColorR + none.bkColorG + none.bkColorB, 0);
    EXPECT_EQ(none.fgColorR, 10);
}

} // namespace
} // namespace orvel::lighting
