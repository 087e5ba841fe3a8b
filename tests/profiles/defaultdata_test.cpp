// The default data the program ships: every document is complete, so nothing falls back to a
// neutral value when a profile is created from it.
#include "profiles/jsonaccess.h"
#include "profiles/jsonfile.h"
#include "profiles/profiledata.h"
#include "profiles/profilefiles.h"
#include "tests/support/source_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

namespace fs = std::filesystem;
using namespace orvel::profiles;

fs::path dataFolder()
{
    return orvel::testing::SourceDefaultData();
}

bool allOf(const std::string& s, const char* allowed)
{
    return !s.empty() && s.find_first_not_of(allowed) == std::string::npos;
}

Json::Value load(const char* name)
{
    const Json::Value v = LoadJsonFile(dataFolder() / name);
    EXPECT_TRUE(v.isObject()) << name;
    return v;
}

struct KeyShape {
    const char* key;
    Json::ValueType type;
};

TEST(DefaultData, ProfileDocumentsHoldEveryKeyOfTheirKind)
{
    const KeyShape light[] = {{"LightInfo", Json::objectValue}, {"LightList", Json::arrayValue}};
    const KeyShape mouse[] = {{"KeyList", Json::arrayValue},      {"DPIStages", Json::objectValue},
                              {"SystemStages", Json::objectValue}, {"ReportStages", Json::objectValue},
                              {"CorrectInfo", Json::arrayValue}};
    const KeyShape keyboard[] = {{"AudioLightInfo", Json::objectValue}, {"KeyList", Json::arrayValue},
                                 {"SystemStages", Json::objectValue}, {"CustomLightMode", Json::objectValue}};
    const KeyShape headset[] = {{"SystemSetStages", Json::objectValue}, {"EQHzValueInfo", Json::arrayValue},
                                {"CustomEQHzValueInfo", Json::arrayValue}, {"CustomEQNameInfo", Json::arrayValue}};
    struct Kind {
        const char* file;
        std::vector<KeyShape> keys;
    };
    const Kind kinds[] = {
        {"mouse.Json", std::vector<KeyShape>(std::begin(mouse), std::end(mouse))},
        {"keyboard.Json", std::vector<KeyShape>(std::begin(keyboard), std::end(keyboard))},
        {"HD.Json", std::vector<KeyShape>(std::begin(headset), std::end(headset))},
        {"MousePad.Json", {}},
    };
    for (const auto& kind : kinds) {
        const Json::Value doc = load(kind.file);
        EXPECT_TRUE(doc["profilename"].isString()) << kind.file;
        EXPECT_TRUE(doc["profileUUID"].isString()) << kind.file;
        const Json::Value& entry = JsonElement(JsonArray(doc, "Device"), 0);
        ASSERT_TRUE(entry.isObject()) << kind.file;
        auto keys = kind.keys;
        keys.insert(keys.end(), std::begin(light), std::end(light));
        for (const auto& k : keys) {
            EXPECT_EQ(JsonMember(entry, k.key).type(), k.type) << kind.file << " " << k.key;
        }
        for (const char* k : {"SelectItem", "Light", "Speed", "Fx", "MultiColor", "Red", "Green", "Blue", "ZZCCLedMode",
                              "CustomGroup", "OldLedmode"}) {
            EXPECT_TRUE(JsonMember(entry["LightInfo"], k).isInt()) << kind.file << " " << k;
        }
    }
}

// Loads a default document as a profile would and returns the data object.
template <class Data>
void loadDefault(Data& data, const char* file)
{
    data.SetDefaultProfilePath(dataFolder() / file);
    data.SetProfilePath(dataFolder() / file);
    ASSERT_TRUE(data.Load(dataFolder() / file).isObject());
}

TEST(DefaultData, MouseDocumentReadsFactoryButtonsAndFiveStages)
{
    CMouseProfiledata mouse;
    loadDefault(mouse, "mouse.Json");
    const uint32_t factory[11] = {0x100100, 0x100200, 0x100400, 0x101000, 0x100800, 0x130100,
                                  0x130200, 0x130300, 0xA01B00, 0x169001, 0x147802};
    const auto keys = mouse.GetKeyList();
    ASSERT_EQ(keys.size(), 11u);
    for (size_t i = 0; i < 11; ++i) {
        EXPECT_EQ(keys[i].current.Code(), factory[i]) << i;
        EXPECT_EQ(keys[i].defaults.Code(), factory[i]) << i;
    }
    const auto stages = mouse.GetDpiStages();
    ASSERT_EQ(stages.size(), 5u);
    for (const auto& s : stages) {
        EXPECT_EQ(s.enabled, 1);
        EXPECT_GT(s.levelX, 0);
    }
    EXPECT_NE(mouse.GetMouseSystem(), (std::array<uint32_t, 3> {}));
    ASSERT_EQ(mouse.GetCorrectInfo().size(), 1u);
    EXPECT_NE(mouse.GetLightInfo(), LightRecord());
}

TEST(DefaultData, KeyboardDocumentReadsTheFactoryPositionsAndCompleteColourGroups)
{
    CKeyboardProfiledata keyboard;
    loadDefault(keyboard, "keyboard.Json");
    const auto keys = keyboard.GetKeyList();
    ASSERT_EQ(keys.size(), 170u);
    struct Case {
        int position;
        uint32_t code;
    };
    const Case cases[] = {{0, 0x200029},   {16, 0xA01B00},  {18, 0x200000},  {84, 0x200200},  {104, 0x200000},
                          {110, 0xA00100}, {120, 0xD0A201}, {126, 0xA0442C}, {127, 0xA04405}, {169, 0x200000}};
    for (const auto& c : cases) {
        EXPECT_EQ(keys[size_t(c.position)].defaults.Code(), c.code) << c.position;
        EXPECT_EQ(keys[size_t(c.position)].current, keys[size_t(c.position)].defaults) << c.position;
    }
    const Json::Value before = keyboard.DeviceEntry();
    const int groups = int(before["CustomLightMode"]["LightColorInfo"].size());
    EXPECT_GE(groups, 1);
    for (int g = 0; g < groups; ++g) {
        EXPECT_EQ(keyboard.GetCustomColours(g, 170).size(), 170u);
    }
    EXPECT_EQ(keyboard.DeviceEntry(), before) << "no colour had to be created";
    EXPECT_NE(keyboard.GetKeyboardSystem(), (std::array<uint32_t, 3> {}));
    EXPECT_NE(keyboard.GetAudioLightInfo(), AudioLightRecord());
}

TEST(DefaultData, HeadsetDocumentHoldsEveryPreset)
{
    CHs6533Profiledata headset;
    loadDefault(headset, "HD.Json");
    const Json::Value before = headset.DeviceEntry();
    EXPECT_EQ(before["EQHzValueInfo"].size(), 13u);
    EXPECT_EQ(headset.GetEqPreset(1), (std::vector<int> {7, 11, 2, -3, -1, 4, 9, 12, 9, 5}));
    EXPECT_EQ(headset.GetEqPreset(5), std::vector<int>(10, 0));
    EXPECT_EQ(headset.GetEqPreset(12), (std::vector<int> {2, 1, -2, -4, -8, 4, 12, 16, 18, 15}));
    for (int t = 1; t <= 12; ++t) {
        EXPECT_EQ(headset.GetEqPreset(t).size(), 10u);
    }
    EXPECT_EQ(headset.DeviceEntry(), before) << "no preset had to be created";
    const HeadsetSettings s = headset.GetHeadsetSettings();
    EXPECT_GE(s.eqType, 1);
    EXPECT_LE(s.eqType, 12);
    EXPECT_TRUE(headset.GetCustomEqNames().empty());
}

TEST(DefaultData, LightModeListsPerLightingListIndex)
{
    const Json::Value doc = load("default_light.json");
    struct Case {
        int kind;
        unsigned modes;
    };
    const Case cases[] = {{1, 31}, {2, 10}, {3, 9}, {7, 9}};
    for (const auto& c : cases) {
        const Json::Value& list = JsonElement(JsonArray(doc, "DefaultLightName"), Json::ArrayIndex(c.kind));
        ASSERT_EQ(list.size(), c.modes) << c.kind;
        for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
            EXPECT_EQ(JsonInt(list[i], "value", -1), int(i)) << c.kind << " " << i;
            EXPECT_TRUE(list[i]["visible"].isBool()) << c.kind << " " << i;
            EXPECT_TRUE(allOf(JsonString(list[i], "LightName"), "abcdefghijklmnopqrstuvwxyz_")) << c.kind << " " << i;
        }
        EXPECT_GE(JsonElement(JsonArray(doc, "AreaLightName"), Json::ArrayIndex(c.kind)).size(), 1u) << c.kind;
    }
}

TEST(DefaultData, SharedFilesHaveTheirShape)
{
    const Json::Value languages = load("Language.config")["Language"];
    ASSERT_GE(languages.size(), 2u);
    EXPECT_EQ(languages[0]["Language_text"].asString(), "English");
    EXPECT_EQ(languages[1]["Language_text"].asString(), "简体中文");
    for (const auto& l : languages) {
        EXPECT_TRUE(l["Language_ID"].isInt());
        EXPECT_TRUE(l["Language_name"].isString());
        EXPECT_TRUE(l["Language_file"].isString());
    }

    const Json::Value audio = load("AudioFile.json")["Device"]["AudioLightInfo"];
    EXPECT_EQ(audio["nStyleName1"].asString(), "第一组");
    EXPECT_EQ(audio["nStyleName4"].asString(), "第四组");
    EXPECT_EQ(audio["nStyleB3"].asInt(), 9);
    EXPECT_EQ(audio["nAudioStyle"].asInt(), 0);

    const Json::Value colours = load("color_option_info.config")["coloroptioninfo"];
    ASSERT_EQ(colours["palletDialogcoloroption"].size(), 20u);
    ASSERT_EQ(colours["palletDialogcollectcoloroption"].size(), 20u);
    for (Json::ArrayIndex i = 0; i < 20; ++i) {
        const std::string colour = colours["palletDialogcoloroption"][i]["color"].asString();
        EXPECT_TRUE(colour.size() == 8 && allOf(colour, "0123456789ABCDEF")) << colour;
        EXPECT_EQ(colours["palletDialogcollectcoloroption"][i]["UserData"].asString(), "0");
    }
    EXPECT_EQ(colours["palletDialogcoloroption_selectitem"].asInt(), 4);
    EXPECT_EQ(colours["palletDialogcollectcoloroption_selectitem"].asInt(), 0);
}

TEST(DefaultData, ShootFilesHoldThirtyBulletsEach)
{
    for (int g = 0; g < 4; ++g) {
        const std::string name = "ShootData_" + std::to_string(g) + ".Shoot";
        const Json::Value events = load(name.c_str())["Events"];
        ASSERT_EQ(events.size(), 180u) << name;
        for (Json::ArrayIndex b = 0; b < 30; ++b) {
            const Json::Value& press = events[6 * b];
            const Json::Value& vertical = events[6 * b + 3];
            EXPECT_EQ(press["Action"].asString(), "down");
            EXPECT_EQ(press["Type"].asInt(), 1);
            EXPECT_EQ(vertical["Type"].asInt(), 5);
            EXPECT_EQ(vertical["Action"].asString(), "up") << "the pattern pulls down";
            EXPECT_EQ(vertical["Button"].asInt(), 2);
            EXPECT_EQ(vertical["Delay"].asInt(), 100);
        }
    }
}

} // namespace
