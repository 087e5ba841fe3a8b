#include "lighting/colour_picker.h"

#include "platform/text.h"
#include "profiles/jsonfile.h"
#include "tests/support/file_text.h"
#include "tests/support/source_folder.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

namespace {

using namespace orvel;
using namespace orvel::lighting;
using orvel::testing::FileText;
using orvel::testing::WriteText;

const std::filesystem::path kDefault = orvel::testing::SourceDefaultData() / kColourFileName;

TEST(ColourPickerRules, SwatchNames)
{
    struct Case {
        const wchar_t* name;
        std::optional<SwatchName::Kind> kind;
        int number;
    } cases[] = {
        {L"color_option_0", SwatchName::Preset, 0},
        {L"color_option_19", SwatchName::Preset, 19},
        {L"COLOR_Option_7", SwatchName::Preset, 7},
        {L"collect_color_option_3", SwatchName::Collected, 3},
        {L"Collect_Color_Option_12", SwatchName::Collected, 12},
        {L"color_option_", std::nullopt, 0},
        {L"color_option_x", std::nullopt, 0},
        {L"color_option_1a", std::nullopt, 0},
        {L"coloroption5", std::nullopt, 0},
        {L"audiocolor_option_2", std::nullopt, 0},
        {L"DPI_color_option_2", std::nullopt, 0},
        {L"color_option_99999999999", std::nullopt, 0},
    };
    for (const Case& c : cases) {
        const auto parsed = ParseSwatchName(c.name);
        ASSERT_EQ(parsed.has_value(), c.kind.has_value()) << std::wstring(c.name).size();
        if (!parsed) continue;
        EXPECT_EQ(parsed->kind, *c.kind);
        EXPECT_EQ(parsed->number, c.number);
    }
}

TEST(ColourPickerRules, TheColourEdits)
{
    struct Case {
        const wchar_t* text;
        int value;
        const wchar_t* shown;
    } cases[] = {{L"0", 0, L"0"},       {L"128", 128, L"128"}, {L"255", 255, L"255"}, {L"256", 255, L"255"},
                 {L"300", 255, L"255"}, {L"", 0, L"0"},        {L"-5", 0, L"0"},      {L"-0", 0, L"0"},
                 {L"007", 7, L"7"},     {L"abc", 0, L"0"},     {L" 42", 42, L"42"},   {L"12a", 12, L"12"},
                 {L"99999999999999999999", 255, L"255"}};
    for (const Case& c : cases) {
        const ColourEdit e = ReadColourEdit(c.text);
        EXPECT_EQ(e.value, c.value) << c.value;
        EXPECT_EQ(e.text, c.shown);
    }
}

class ColourPickerTest : public ::testing::Test {
protected:
    std::filesystem::path User() const { return temp_.path() / "data" / "VARNO Orvel 80" / kColourFileName; }

    // The layout's swatches: presets of distinct colours, collected ones empty and dark.
    static ColourPicker::Presets LayoutPresets()
    {
        ColourPicker::Presets p;
        for (int i = 0; i < kPickerSwatches; ++i) p[i] = 0xFF000000u | uint32_t(i * 0x0A0B0C);
        return p;
    }
    static ColourPicker::Collected LayoutCollected()
    {
        ColourPicker::Collected c;
        for (auto& s : c) s = CollectedSwatch{0xFF232733, "0", false};
        return c;
    }

    ColourPicker Open(uint32_t colour, const std::filesystem::path& defaults = kDefault,
                      const ColourPicker::Presets& presets = LayoutPresets())
    {
        ColourPicker picker(User(), defaults, presets, LayoutCollected());
        picker.SetColour(colour);
        picker.Start();
        return picker;
    }

    Json::Value Stored() const { return profiles::LoadJsonFile(User())["coloroptioninfo"]; }

    orvel::testing::TempFolder temp_;
};

TEST_F(ColourPickerTest, OpeningShowsTheOwnersColourAndTheFileIsMadeFromTheDefault)
{
    ColourPicker picker = Open(0xFF102030);
    const auto& v = picker.GetView();
    EXPECT_EQ(v.preview, 0xFF102030u);
    EXPECT_EQ(v.palette, 0xFF102030u);
    EXPECT_EQ(v.edits, (std::array<std::wstring, 3>{L"16", L"32", L"48"}));
    EXPECT_FALSE(v.previewImage);
    EXPECT_EQ(profiles::LoadJsonFile(User()), profiles::LoadJsonFile(kDefault));
    EXPECT_EQ(picker.PresetIndex(), 4);
    EXPECT_EQ(picker.CollectIndex(), -1) << "a stored collected choice is not taken up";
    for (const auto& s : v.collected) EXPECT_EQ(*s, (CollectedSwatch{0xFFFFFFFF, "0", false}));
    EXPECT_EQ(picker.GetColour(), 0xFF102030u) << "confirming without a change gives the starting colour";
}

TEST_F(ColourPickerTest, TypedValuesAreClampedAndAlwaysOpaque)
{
    ColourPicker picker = Open(0x40112233);
    picker.OnEditsLeft(L"300", L"34", L"51");
    EXPECT_EQ(picker.GetColour(), 0xFFFF2233u);
    EXPECT_EQ(picker.GetView().edits[0], L"255");
    picker.OnEditsLeft(L"255", L"", L"-7");
    EXPECT_EQ(picker.GetColour(), 0xFFFF0000u) << "green cleared, red kept, a negative blue is 0";
    EXPECT_EQ(picker.GetView().edits, (std::array<std::wstring, 3>{L"255", L"0", L"0"}));
    EXPECT_EQ(picker.GetView().palette, 0xFFFF0000u);
}

TEST_F(ColourPickerTest, PaletteAndSwatchColoursKeepTheirAlpha)
{
    ColourPicker::Presets presets = LayoutPresets();
    presets[2] = 0x7F00FF00;
    ColourPicker picker = Open(0xFF000000, kDefault, presets);
    picker.OnPaletteChanged(0x80123456);
    EXPECT_EQ(picker.GetColour(), 0x80123456u);
    EXPECT_EQ(picker.GetView().edits, (std::array<std::wstring, 3>{L"18", L"52", L"86"}));
    picker.OnPresetSelected(2);
    EXPECT_EQ(picker.GetColour(), 0x7F00FF00u);
    EXPECT_EQ(picker.GetView().palette, 0x7F00FF00u);
}

TEST_F(ColourPickerTest, APresetIsRememberedWithTheLayoutsColours)
{
    ColourPicker picker = Open(0xFF000000);
    picker.OnPresetSelected(7);
    EXPECT_EQ(picker.PresetIndex(), 7);
    const Json::Value stored = Stored();
    EXPECT_EQ(stored["palletDialogcoloroption_selectitem"], 7);
    for (int i = 0; i < kPickerSwatches; ++i)
        EXPECT_EQ(stored["palletDialogcoloroption"][i]["color"].asString(), text::HexUpper8(*LayoutPresets()[i]));
    EXPECT_EQ(Open(0xFF000000).PresetIndex(), 7);
}

TEST_F(ColourPickerTest, AnEmptyCollectedSwatchIsFilledByTheNextColour)
{
    ColourPicker picker = Open(0xFF000000);
    const std::string before = FileText(User());
    picker.OnCollectedSelected(3);
    EXPECT_EQ(picker.CollectIndex(), 3);
    EXPECT_EQ(picker.GetColour(), 0xFF000000u) << "choosing an empty swatch changes nothing else";
    EXPECT_EQ(FileText(User()), before);
    picker.OnPaletteChanged(0xFF00AA00);
    EXPECT_EQ(*picker.GetView().collected[3], (CollectedSwatch{0xFF00AA00, "1", true}));
    const Json::Value entry = Stored()["palletDialogcollectcoloroption"][3];
    EXPECT_EQ(entry["color"], "FF00AA00");
    EXPECT_EQ(entry["UserData"], "1");
    EXPECT_EQ(Stored()["palletDialogcollectcoloroption_selectitem"], 3);
}

TEST_F(ColourPickerTest, APresetChosenWhileAFilledSwatchIsSelectedOverwritesIt)
{
    ColourPicker picker = Open(0xFF000000);
    picker.OnCollectedSelected(5);
    picker.OnEditsLeft(L"1", L"2", L"3");
    picker.OnPresetSelected(9);
    EXPECT_EQ(picker.GetView().collected[5]->colour, *LayoutPresets()[9]);
    EXPECT_EQ(Stored()["palletDialogcollectcoloroption"][5]["color"].asString(), text::HexUpper8(*LayoutPresets()[9]));
}

TEST_F(ColourPickerTest, ChoosingAFilledSwatchShowsItsColour)
{
    {
        ColourPicker picker = Open(0xFF000000);
        picker.OnCollectedSelected(1);
        picker.OnPaletteChanged(0xFFABCDEF);
    }
    ColourPicker picker = Open(0xFF000000);
    EXPECT_EQ(picker.CollectIndex(), -1);
    EXPECT_EQ(*picker.GetView().collected[1], (CollectedSwatch{0xFFABCDEF, "1", true})) << "filled swatches show after reopening";
    picker.OnPaletteChanged(0xFF111111);
    EXPECT_EQ(picker.GetView().collected[1]->colour, 0xFFABCDEFu) << "no swatch is chosen after reopening";
    picker.OnSevenColourClicked(true);
    picker.OnCollectedSelected(1);
    EXPECT_EQ(picker.GetColour(), 0xFFABCDEFu);
    EXPECT_EQ(picker.GetView().edits, (std::array<std::wstring, 3>{L"171", L"205", L"239"}));
    EXPECT_FALSE(picker.GetView().sevenColour);
    EXPECT_FALSE(picker.GetSevenColour());
}

TEST_F(ColourPickerTest, SevenColours)
{
    ColourPicker picker(User(), kDefault, LayoutPresets(), LayoutCollected());
    picker.SetColour(0xFF0000FF);
    picker.SetSevenColour(true);
    picker.Start();
    EXPECT_TRUE(picker.GetView().sevenColour);
    EXPECT_TRUE(picker.GetView().previewImage);
    picker.OnSevenColourClicked(false);
    EXPECT_FALSE(picker.GetSevenColour());
    EXPECT_FALSE(picker.GetView().previewImage);
    picker.OnSevenColourClicked(true);
    EXPECT_TRUE(picker.GetSevenColour());
    picker.OnPaletteChanged(0xFF00FF00);
    EXPECT_FALSE(picker.GetSevenColour()) << "a colour chosen ends the seven colours";
    EXPECT_FALSE(picker.GetView().previewImage);
}

TEST_F(ColourPickerTest, AnUnusableUserFileIsKeptAsideAndReplacedByTheDefault)
{
    for (const std::string text : {"{\"coloroptioninfo\": [", "[]", "{\"other\": 1}"}) {
        std::filesystem::create_directories(User().parent_path());
        std::filesystem::remove(User().string() + ".bad");
        WriteText(User(), text);
        Open(0xFF000000);
        EXPECT_EQ(FileText(User().string() + ".bad"), text);
        EXPECT_EQ(profiles::LoadJsonFile(User()), profiles::LoadJsonFile(kDefault));
    }
}

TEST_F(ColourPickerTest, WithoutAnyFileTheLayoutsSwatchesStay)
{
    ColourPicker picker = Open(0xFF000000, temp_.path() / "none");
    EXPECT_EQ(picker.PresetIndex(), 4);
    EXPECT_EQ(picker.CollectIndex(), 0);
    for (const auto& s : picker.GetView().collected) EXPECT_EQ(*s, (CollectedSwatch{0xFF232733, "0", false}));
    EXPECT_FALSE(std::filesystem::exists(User()));
}

TEST_F(ColourPickerTest, SwatchesTheLayoutLacksKeepTheirStoredEntries)
{
    std::filesystem::create_directories(User().parent_path());
    WriteText(User(), R"({"coloroptioninfo": {"palletDialogcollectcoloroption": [{"color": "FF010203", "UserData": "1"},
        {"color": "FF0A0B0C", "UserData": "1"}], "palletDialogcoloroption": [{"color": "FFFFFFFF"}, {"color": "12345678"}]}})");
    ColourPicker::Presets presets = LayoutPresets();
    presets[1].reset();
    ColourPicker::Collected collected = LayoutCollected();
    collected[1].reset();
    ColourPicker picker(User(), kDefault, presets, collected);
    picker.Start();
    EXPECT_EQ(*picker.GetView().collected[0], (CollectedSwatch{0xFF010203, "1", true}));
    picker.OnPresetSelected(1); // not in the layout: nothing
    EXPECT_EQ(picker.PresetIndex(), 4);
    picker.OnCollectedSelected(0);
    picker.OnPresetSelected(0);
    const Json::Value stored = Stored();
    EXPECT_EQ(stored["palletDialogcoloroption"][1]["color"], "12345678");
    EXPECT_EQ(stored["palletDialogcollectcoloroption"][1]["color"], "FF0A0B0C");
    EXPECT_EQ(stored["palletDialogcollectcoloroption"][0]["color"].asString(), text::HexUpper8(*presets[0]));
}

} // namespace
