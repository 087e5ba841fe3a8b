// The lighting panel's lists and the texts of the pages' messages.

#include "devices/light_lists.h"
#include "devices/device_core.h"
#include "tests/support/source_folder.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace orvel::devices {
namespace {

using orvel::testing::SourceDefaultData;

void Write(const std::filesystem::path& file, const std::string& text)
{
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

TEST(LightPanelLists, EachKindHasItsShippedModesAndAreas)
{
    struct Case {
        int kind;
        int modes;
        int firstHidden; // -1: every mode shows
        const char* area;
    };
    const Case cases[] = {{1, 31, 0, "light_area_keys"}, {2, 10, -1, "light_area_mouse"},
                          {3, 9, 5, "light_area_edge"},  {7, 9, 5, "light_area_earcups"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        const LightPanelLists lists = LoadLightLists(SourceDefaultData(), "missing.config", c.kind);
        ASSERT_EQ(lists.modes.Size(), c.modes);
        int hidden = -1;
        for (int i = lists.modes.Size() - 1; i >= 0; --i) {
            if (!lists.modes.Entries()[static_cast<std::size_t>(i)].visible)
                hidden = i;
        }
        EXPECT_EQ(hidden, c.firstHidden);
        EXPECT_EQ(lists.areas, std::vector<std::string>{c.area});
        EXPECT_TRUE(lists.userEffects.empty());
    }
}

TEST(LightPanelLists, UserEffectsComeFromTheKindsListOrAFlatOne)
{
    orvel::testing::TempFolder temp;
    const auto config = temp / "zenta_light.config";
    Write(config, R"({"LightInfo": [[], [{"LightName": "Mine", "Guid": "a"}, {"LightName": "Yours"}], [{"LightName": "Mouse's"}]]})");
    EXPECT_EQ(LoadLightLists(SourceDefaultData(), config, 1).userEffects, (std::vector<std::string>{"Mine", "Yours"}));
    EXPECT_EQ(LoadLightLists(SourceDefaultData(), config, 2).userEffects, (std::vector<std::string>{"Mouse's"}));
    EXPECT_TRUE(LoadLightLists(SourceDefaultData(), config, 3).userEffects.empty());
    Write(config, R"({"LightInfo": [{"LightName": "For all"}]})");
    EXPECT_EQ(LoadLightLists(SourceDefaultData(), config, 7).userEffects, (std::vector<std::string>{"For all"}));
}

TEST(LightPanelLists, ADefaultFileWithoutModesKeepsTheListsShown)
{
    orvel::testing::TempFolder temp;
    const LightPanelLists shown = LoadLightLists(SourceDefaultData(), "missing.config", 2);
    const auto config = temp / "zenta_light.config";
    Write(config, R"({"LightInfo": [[], [], [{"LightName": "New"}]]})");
    for (const char* defaults : {"{\"DefaultLightName\": ", R"({"AreaLightName": [[], [{"LightName": "x"}]]})", ""}) {
        SCOPED_TRACE(defaults);
        const auto folder = temp / "defaults";
        std::filesystem::remove_all(folder);
        if (*defaults != '\0')
            Write(folder / kDefaultLightFile, defaults);
        const LightPanelLists lists = LoadLightLists(folder, config, 2, shown);
        EXPECT_EQ(lists.modes.Size(), shown.modes.Size());
        EXPECT_EQ(lists.areas, shown.areas);
        EXPECT_EQ(lists.userEffects, std::vector<std::string>{"New"});
    }
}

TEST(MessageText, TheNumberTakesThePlaceOfTheFirstPercentD)
{
    struct Case {
        const wchar_t* text;
        UserMessage message;
        const wchar_t* shown;
    };
    const Case cases[] = {
        {L"Too big (%d).", {"k", 7, true}, L"Too big (7)."},
        {L"%d of %d", {"k", 2, true}, L"2 of %d"},
        {L"100% full, %s", {"k", 3, true}, L"100% full, %s"},
        {L"Saved %d", {"k", 0, false}, L"Saved %d"},
        {L"", {"k", -1, true}, L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MessageText(c.text, c.message), c.shown);
}

} // namespace
} // namespace orvel::devices
